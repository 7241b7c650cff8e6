#pragma once
// A dialog made from a template of a resource module. The object is the
// dialog's data: each dialog class keeps its inputs and results in its own
// members, the window finds its object through DWLP_USER, and nothing lives
// in statics. Modal dialogs run their own message loop so that messages are
// pre-translated (tooltips, F1, closing a help pop-up) before the dialog
// manager sees them.
//
// Every dialog has the shared colours (background RGB(255, 255, 252), black
// text), context help on request, tooltips and clickable labels.

#include "ui/context_help.h"
#include "ui/handles.h"
#include "ui/link_labels.h"
#include "ui/resources.h"
#include "ui/tooltips.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace ravelock::ui {

inline constexpr COLORREF kDialogBackground = RGB(255, 255, 252);
inline constexpr COLORREF kDialogText = RGB(0, 0, 0);

class Dialog {
public:
  Dialog(const Resources& resources, int templateId);
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;
  virtual ~Dialog();

  // Shows the dialog and returns when it has ended, with the value given to
  // end(); the owner is disabled meanwhile. -1 when it cannot be created.
  INT_PTR runModal(HWND owner);

  // Creates and shows the dialog without waiting. The caller's message loop
  // passes each message to translate() first; end() destroys the window.
  HWND createModeless(HWND owner);
  // Pre-translation and dialog navigation; true when the message was used.
  bool translate(MSG& message);
  // The dialog has ended (end() was called, or its window went away).
  bool ended() const { return ended_; }
  INT_PTR result() const { return result_; }

  HWND hwnd() const { return hwnd_; }
  const Resources& resources() const { return resources_; }

protected:
  // Ends the dialog with `result`.
  void end(INT_PTR result);

  // After WM_INITDIALOG; false when the focus was set here.
  virtual bool onInit() { return true; }
  // WM_COMMAND from a control or an accelerator; true when handled. The
  // default sends IDOK to onOk and IDCANCEL (also Esc and the close box)
  // to onCancel.
  virtual bool onCommand(int id, int code);
  virtual void onOk() { end(IDOK); }
  virtual void onCancel() { end(IDCANCEL); }
  // Any other message; a value to answer it with, or nothing for the
  // default handling.
  virtual std::optional<LRESULT> onMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // F1 was pressed; true when handled here, else the focused control's
  // context help shows.
  virtual bool onHelpKey() { return false; }
  // A clickable label was clicked.
  virtual void onLinkClicked(int /*control*/) {}
  // The text colour of a static control (labels, check boxes, read-only
  // edits); the default is black, or the label's own colour.
  virtual COLORREF textColour(int control) const;

  // Moves the dialog just below its owner window (centred under it), so
  // that a question leaves the window it is about in view; stays on the
  // screen's work area.
  void placeBelowOwner();
  // Gives the keyboard focus to a control (answer false from onInit then).
  void focus(int id) { SetFocus(item(id)); }

  // Controls by id.
  HWND item(int id) const { return GetDlgItem(hwnd_, id); }
  std::wstring text(int id) const;
  void setText(int id, std::wstring_view text);
  void setString(int id, unsigned stringId) { setText(id, resources_.string(stringId)); }
  void setTitle(unsigned stringId);
  void show(int id, bool visible);
  bool shown(int id) const;
  void enable(int id, bool enabled);
  bool checked(int id) const;
  void setChecked(int id, bool on);
  // The longest text an edit box takes.
  void limitText(int id, unsigned maxChars);
  // Whether the edit box's text is within `maxChars`; if not, warns with
  // the standard text and selects the box.
  bool checkMaxChars(int id, unsigned maxChars);

  // A message box owned by this dialog, from a string number or a text.
  int message(unsigned stringId, UINT flags);
  int message(std::wstring_view text, UINT flags);

  ContextHelp& help() { return help_; }
  Tooltips& tooltips() { return tooltips_; }
  LinkLabels& links() { return links_; }

private:
  static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wParam,
                                    LPARAM lParam);
  INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
  HWND create(HWND owner);
  bool preTranslate(MSG& message);
  void showHelp(HWND control);

  Resources resources_;
  int templateId_;
  HWND hwnd_ = nullptr;
  bool modal_ = false;
  bool ended_ = false;
  INT_PTR result_ = -1;
  BrushHandle background_;
  ContextHelp help_;
  Tooltips tooltips_;
  LinkLabels links_;
};

} // namespace ravelock::ui
