#pragma once
// The window messages by which Ravelock's programs find and steer each
// other: vellapp's main window answers a fixed value so that the drop
// target can tell it from any other window titled "Ravelock", and vellapp
// controls a running drop target through its hidden window. Defined once
// here for both ends (vellapp and pondlet).

namespace ravelock::handoff {

// WM_USER, spelt out so that this header stays free of system headers.
inline constexpr unsigned kUserMessageBase = 0x0400;

// Sent to a top-level window titled kMainWindowTitle; vellapp's main window
// answers kMainWindowAnswer. wParam and lParam are unused.
inline constexpr unsigned UM_ARE_YOU_MAIN_WINDOW = kUserMessageBase + 326; // 1350
inline constexpr long kMainWindowAnswer = 6700;
inline constexpr const char* kMainWindowTitle = "Ravelock";

// The drop target's hidden window, found by class and title; each control
// message is sent with kControlTimeoutMs and none of them writes options.
inline constexpr const char* kDropTargetClass = "PONDLET_class";
inline constexpr const char* kDropTargetTitle = "Pondlet";
inline constexpr unsigned kControlTimeoutMs = 2000;

// wParam: the topmost flag; lParam non-zero: store the flag and apply the
// z-order; lParam 0 with wParam non-zero: above all windows for now, the
// stored flag kept; both 0: nothing.
inline constexpr unsigned UM_DROP_TARGET_TOPMOST = kUserMessageBase + 327; // 1351
// wParam: size index 0 (small) to 2 (large); other values are ignored.
inline constexpr unsigned UM_DROP_TARGET_SIZE = kUserMessageBase + 328; // 1352
// Ends the drop target; parameters unused.
inline constexpr unsigned UM_DROP_TARGET_EXIT = kUserMessageBase + 329; // 1353

} // namespace ravelock::handoff
