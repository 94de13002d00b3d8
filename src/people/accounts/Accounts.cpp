#include "Accounts.h"

namespace kv {

void openAccount(Session&, int, QWidget*) {}

} // namespace kv
