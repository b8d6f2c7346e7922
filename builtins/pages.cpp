// Pages: addpage, copyfrompage, copytopage, deletepages, pages, showpage.
// Each returns the number of stored pages.
#include "graphics/pages.h"
#include "builtins/builtin_helpers.h"
#include "builtins/graphics_arguments.h"
#include "graphics/graphics_area.h"
#include "interpreter/builtin_table.h"

namespace kalix {

namespace {

void returnCount(header* first) { returnReal(first, pageCount()); }

// The page number: a real, truncated.
constexpr Signature copyfrompageSignature = {"copyfrompage", "integer", {{takesReal}}};
constexpr Signature copytopageSignature = {"copytopage", "integer", {{takesReal}}};
constexpr Signature showpageSignature = {"showpage", "integer", {{takesReal}}};

// The 0-based index of page n; numbers of 0 and below address page 1.
int pageIndex(int n) { return n > 1 ? n - 1 : 0; }

void builtinAddpage(header* first) {
    appendPage();
    returnCount(first);
}

// addpage(w, h): the size is checked and not used.
constexpr Signature addpageSignature = {.builtin = "addpage",
                                        .need = "optional w, h",
                                        .rules = {{takesReal}, {takesReal}},
                                        .order = CheckOrder::asResolved};

void builtinAddpageSized(header* first) {
    const Arguments a(first, addpageSignature);
    if (!a) return;
    builtinAddpage(first);
}

// Shows the picture, then paints or replaces page n.
void pageOperation(header* first, const Signature& signature, bool (*operation)(int index)) {
    const Arguments a(first, signature);
    if (!a) return;
    showGraphicsWindow();
    operation(pageIndex(clampToInt(a.real(0))));
    returnCount(first);
}

void builtinCopyfrompage(header* first) { pageOperation(first, copyfrompageSignature, paintPage); }
void builtinCopytopage(header* first) { pageOperation(first, copytopageSignature, storePageAt); }

void builtinDeletepages(header* first) {
    deleteAllPages();
    displayPage(0);
    returnCount(first);
}

void builtinPages(header* first) { returnCount(first); }

void builtinShowpage(header* first) {
    const Arguments a(first, showpageSignature);
    if (!a) return;
    showGraphicsWindow();
    displayPage(clampToInt(a.real(0)));
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

}  // namespace kalix
