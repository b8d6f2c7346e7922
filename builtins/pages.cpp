// Pages: addpage, copyfrompage, copytopage, deletepages, pages, showpage.
// Each returns the number of stored pages.
#include "graphics/pages.h"
#include "builtins/builtin_helpers.h"
#include "builtins/graphics_arguments.h"
#include "graphics/graphics_area.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"

namespace {

void returnCount(header* first) { returnReal(first, pageCount()); }

// The page number argument (truncated), or the message.
bool pageNumber(header* first, const char* builtinName, int* n) {
    header* v = realArgument(first);
    if (errorCode) return false;
    if (!v) {
        reportNeed("integer", builtinName);
        return false;
    }
    *n = clampToInt(realOf(v));
    return true;
}

// The 0-based index of page n; numbers of 0 and below address page 1.
int pageIndex(int n) { return n > 1 ? n - 1 : 0; }

void builtinAddpage(header* first) {
    appendPage();
    returnCount(first);
}

void builtinAddpageSized(header* first) {
    const bool sized = realArgument(first) && !errorCode && realArgument(nextValue(first));
    if (errorCode) return;
    if (!sized) return reportNeed("optional w, h", "addpage");
    builtinAddpage(first);
}

// Shows the picture, then paints or replaces page n.
void pageOperation(header* first, const char* builtinName, bool (*operation)(int index)) {
    int n;
    if (!pageNumber(first, builtinName, &n)) return;
    showGraphicsWindow();
    operation(pageIndex(n));
    returnCount(first);
}

void builtinCopyfrompage(header* first) { pageOperation(first, "copyfrompage", paintPage); }
void builtinCopytopage(header* first) { pageOperation(first, "copytopage", storePageAt); }

void builtinDeletepages(header* first) {
    deleteAllPages();
    displayPage(0);
    returnCount(first);
}

void builtinPages(header* first) { returnCount(first); }

void builtinShowpage(header* first) {
    int n;
    if (!pageNumber(first, "showpage", &n)) return;
    showGraphicsWindow();
    displayPage(n);
    returnCount(first);
}

const BuiltinRecord rows[] = {
    {"addpage", 0, 0, builtinAddpage},           {"addpage", 2, 0, builtinAddpageSized},
    {"copyfrompage", 1, 0, builtinCopyfrompage}, {"copytopage", 1, 0, builtinCopytopage},
    {"deletepages", 0, 0, builtinDeletepages},   {"pages", 0, 0, builtinPages},
    {"showpage", 1, 0, builtinShowpage},
};

}  // namespace

KALIX_BUILTIN_FAMILY(pageBuiltins, rows);
