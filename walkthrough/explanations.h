#pragma once

#include "walkthrough/dispatch.h"

#include <QString>

namespace mohr {

// The explanation shown by a step, in one language. Explanations are numbered by the node that
// introduces them: 0 to 30, where nodes 5 and 6 share explanation 4 and have no number of their own.
// Each explanation is a single line; the explanation box wraps it. An unknown number gives an empty
// string.
QString Explanation(TStepLanguage language, int number);

} // namespace mohr
