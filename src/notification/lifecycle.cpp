#include "notification/lifecycle.h"

namespace kelto::notification {

void setup() noexcept {}

void tearDown() noexcept {}

}  // namespace kelto::notification
