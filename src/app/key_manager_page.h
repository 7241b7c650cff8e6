#pragma once
// Windows only: the Key manager page (template 129). It lists the names
// of the keys the key server holds (the reverse of the server's order),
// adds and deletes keys, and saves and loads key databases. The server is
// the only owner of the keys; the list is reloaded whenever the page shows
// and whenever the program is activated while it shows.

#include "app/key_databases.h"
#include "app/pages.h"

namespace ravelock::app {

// From the list to the page: the Delete key or Enter was released in it.
inline constexpr UINT UM_LIST_DELETE_KEY = WM_USER + 785; // 1809
inline constexpr UINT UM_LIST_ENTER_KEY = WM_USER + 786;  // 1810

class KeyManagerPage : public ui::Dialog, public keyserver::KeyConflictWindow {
public:
  KeyManagerPage(const PageContext& context, keyserver::KeyServerClient& keys);

  // UM_KEY_CONFLICT while a database loads: the page's own window answers.
  std::intptr_t send(std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;

private:
  bool onInit() override;
  void onOk() override {}
  void onCancel() override {}
  bool onCommand(int id, int code) override;
  std::optional<LRESULT> onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  static LRESULT CALLBACK listProcedure(HWND list, UINT message, WPARAM wParam,
                                        LPARAM lParam, UINT_PTR id, DWORD_PTR data);

  KeyDatabaseContext databases() const;
  void reload();
  void addKey();
  void deleteSelected();
  void deleteAll();
  // Save All... (`selectedOnly` false) and Save...
  void save(bool selectedOnly);
  void load();
  // Indexes of the selected items, first to last.
  std::vector<int> selection() const;
  std::string itemName(int index) const;
  HWND list() const;

  PageContext context_;
  keyserver::KeyServerClient& keys_;
  int widthMargin_ = 0;
  bool loading_ = false;
};

} // namespace ravelock::app
