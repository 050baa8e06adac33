#include "walkthrough/dispatch.h"

namespace mohr {

void HandleStepClick(TStepHost&, QTreeWidget*, TStepLanguage) {}

} // namespace mohr
