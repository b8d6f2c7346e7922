// The permission question and the setting that turns it off.
#include "platform/allow_question.h"

#include "base/settings.h"
#include "platform/host.h"

namespace kalix {

bool askAllowed(const char* question, int* allowedUntilRestart) {
    if (!intSetting("askexec") || *allowedUntilRestart) return true;
    int answer = askAllowDialog(question);
    if (answer == allowUntilRestart) *allowedUntilRestart = 1;
    return answer != allowNo;
}

}  // namespace kalix
