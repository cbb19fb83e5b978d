#include "editor/edit_menu.h"

namespace campdb {

// Placeholder until the menu lands: an Edit run writes the database unchanged.
void EditMenu(Database&, Console&) {}

}  // namespace campdb
