// The formulas of comments, the same for every host: LaTeX renders them
// with the notebook's colours, Maxima gives the TeX form of an expression.
#include <atomic>

#include "base/settings.h"
#include "graphics/colors.h"
#include "interpreter/maxima_services.h"
#include "interpreter/state.h"
#include "notebook/notebook_host.h"
#include "platform/host.h"

namespace kalix {

namespace {

// 1 after a missing LaTeX was reported, until LaTeX is found again: every
// formula of a notebook would otherwise report it.
std::atomic<int> latexMissingShown{0};

LatexColour latexColourOf(const RgbColor& c) {
    return LatexColour{c.redOf(), c.greenOf(), c.blueOf()};
}

}  // namespace

std::string NotebookHost::renderFormula(const char* formula, int, int fontSize, int* unavailable) {
    LatexRequest request;
    request.formula = formula;
    request.scaleWithFont = intSetting("latexmagnify");
    request.fontSize = fontSize;
    if (intSetting("latextransparent") >= 1) {
        request.transparent = 1;
    } else {
        request.background = latexColourOf(textColors[4]);
    }
    if (intSetting("latexgreen")) {
        request.hasForeground = 1;
        request.foreground = latexColourOf(textColors[2]);
    }
    LatexResult result = runLatex(request, latexOptionsFromSettings());
    noteDeclinedWait(result);
    if (unavailable) *unavailable = result.png.empty() && !result.formulaError;
    if (!result.png.empty()) {
        latexMissingShown = 0;
        return result.png;
    }
    if (!result.latexMissing) latexMissingShown = 0;
    bool said = result.latexMissing && latexMissingShown.exchange(1);
    if (!said && !result.message.empty()) showMessage(result.message.c_str());
    return std::string();
}

LatexResult NotebookHost::runLatex(const LatexRequest& request, const LatexOptions& options) {
    return renderLatexToPng(
        request, options, [] { return checkEscape() != 0; },
        [this](const char* question) { return askYesNo(question, "KXW", 0) != 0; });
}

std::string NotebookHost::maximaTex(const char* expression, int& ok) {
    // The comment above the cursor is being rebuilt: nothing goes into the
    // notebook, and a failure is no error of the command that runs next.
    const int errorBefore = errorCode, suppressedBefore = outputSuppressed;
    errorCode = 0;
    outputSuppressed = 1;
    std::string reply = getTexReplyFromMaxima(expression);
    ok = errorCode == 0;
    errorCode = errorBefore;
    outputSuppressed = suppressedBefore;
    return ok ? reply : std::string();
}

}  // namespace kalix
