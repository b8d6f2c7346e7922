// The declared argument reader: kinds, sizes, presence and defaults, the
// order of its refusal against an argument that cannot be resolved, its
// own refusals, and the common number family.
#include <functional>

#include "arithmetic_fixture.h"
#include "interpreter/arguments.h"

namespace kalix {

class ArgumentsTest : public OperatorTest {
  public:
    // Pushes the arguments and reads them by the signature; `inspect` sees
    // the reader. Returns whether the arguments were accepted.
    bool read(const Signature& signature, const std::function<void()>& push,
              const std::function<void(const Arguments&)>& inspect = nullptr) {
        bool accepted = false;
        apply(push, [&](header* first) {
            const Arguments a(first, signature);
            accepted = bool(a);
            if (inspect) inspect(a);
        });
        return accepted;
    }

    // An argument that cannot be resolved: an empty argument, as "f(1,,2)"
    // passes it.
    void unresolvable() { pushReference(nullptr, ""); }
    void none() { pushMarker(markerNone); }
    void stringVector() {
        char* data = pushHeader(kindStringMatrix, headerSize + 8, "");
        std::memcpy(data, "a\0b\0\1", 5);
    }

    void expectNeed(const char* what) {
        expectRefused(std::string("Need ") + what + " for f\n", 26);
    }
};

TEST_F(ArgumentsTest, KindsOfResolvedValues) {
    struct Case {
        const char* what;
        KindSet kinds;
        std::function<void(ArgumentsTest*)> push;
        bool accepted;
    } cases[] = {
        {"real", takesReal, [](auto) { pushReal(1); }, true},
        {"1x1 matrix as a real", takesReal, [](auto t) { t->row({5}); }, true},
        {"1x2 matrix as a real", takesReal,
         [](auto t) {
             t->row({1, 2});
         },
         false},
        {"complex as a real", takesReal, [](auto) { pushComplex(1, 2); }, false},
        {"string as a real", takesReal, [](auto) { pushCString("1"); }, false},
        {"real as a real matrix", takesRealMatrix, [](auto) { pushReal(1); }, true},
        {"2x2 as a real matrix", takesRealMatrix,
         [](auto t) {
             t->matrix(2, 2, {1, 2, 3, 4});
         },
         true},
        {"complex matrix as a real matrix", takesRealMatrix,
         [](auto t) {
             t->pairs(kindComplexMatrix, 1, 2, {1, 0, 2, 0});
         },
         false},
        {"real as a matrix kind", kindBit(kindRealMatrix), [](auto) { pushReal(1); }, false},
        {"1x1 as a matrix kind", kindBit(kindRealMatrix), [](auto t) { t->row({1}); }, false},
        {"1x2 as a matrix kind", kindBit(kindRealMatrix),
         [](auto t) {
             t->row({1, 2});
         },
         true},
        {"interval matrix as numeric", takesNumeric,
         [](auto t) {
             t->pairs(kindIntervalMatrix, 1, 2, {1, 2, 3, 4});
         },
         true},
        {"interval as numeric", takesNumeric, [](auto) { pushInterval(1, 2); }, true},
        {"string as numeric", takesNumeric, [](auto) { pushCString("a"); }, false},
        {"string vector as numeric", takesNumeric, [](auto t) { t->stringVector(); }, false},
        {"string", takesString, [](auto) { pushCString("a"); }, true},
        {"none as a string", takesString, [](auto t) { t->none(); }, true},
        {"string vector as a string", takesString, [](auto t) { t->stringVector(); }, false},
        {"string vector", takesStringVector, [](auto t) { t->stringVector(); }, true},
        {"string as a string vector", takesStringVector, [](auto) { pushCString("a"); }, false},
        {"real or string", takesReal | takesString, [](auto) { pushCString("a"); }, true},
        {"collection as anything", takesAnything, [](auto) { pushCollection(); }, true},
    };
    for (const Case& c : cases) {
        const Signature s = {"f", "what", {{c.kinds}}};
        EXPECT_EQ(read(s, [&] { c.push(this); }), c.accepted) << c.what;
        if (c.accepted)
            EXPECT_EQ(output(), "") << c.what;
        else
            expectNeed("what");
    }
}

TEST_F(ArgumentsTest, SizesOfNumericValues) {
    struct Case {
        const char* what;
        int rows, columns;
        std::function<void(ArgumentsTest*)> push;
        bool accepted;
    } cases[] = {
        {"row", 1, anySize,
         [](auto t) {
             t->row({1, 2, 3});
         },
         true},
        {"scalar as a row", 1, anySize, [](auto) { pushComplex(1, 1); }, true},
        {"column as a row", 1, anySize,
         [](auto t) {
             t->column({1, 2});
         },
         false},
        {"empty row", 1, anySize, [](auto t) { t->matrix(1, 0, {}); }, true},
        {"1x2", 1, 2,
         [](auto t) {
             t->row({1, 2});
         },
         true},
        {"1x3 as 1x2", 1, 2,
         [](auto t) {
             t->row({1, 2, 3});
         },
         false},
        {"nx3", anySize, 3,
         [](auto t) {
             t->matrix(2, 3, {1, 2, 3, 4, 5, 6});
         },
         true},
        {"nx2 as nx3", anySize, 3,
         [](auto t) {
             t->matrix(3, 2, {1, 2, 3, 4, 5, 6});
         },
         false},
        {"string has no size", 1, 2, [](auto) { pushCString("abc"); }, true},
    };
    for (const Case& c : cases) {
        const Signature s = {
            "f", "row", {{.kinds = takesAnything, .rows = c.rows, .columns = c.columns}}};
        EXPECT_EQ(read(s, [&] { c.push(this); }), c.accepted) << c.what;
        if (!c.accepted) expectNeed("row");
    }
    // A long row is read in place, not copied.
    for (int n : {1, 1000, 100000}) {
        double* data = nullptr;
        const Signature s = {"f", "row", {{.kinds = takesRealMatrix, .rows = 1}}};
        EXPECT_TRUE(read(
            s,
            [&] {
                header* r = pushRealMatrix(1, n + 1);
                data = matrixData(r);
            },
            [&](const Arguments& a) {
                EXPECT_EQ(a.matrix(0).data, data);
                EXPECT_EQ(a.matrix(0).count(), n + 1);
            }))
            << n;
    }
}

TEST_F(ArgumentsTest, OptionalArgumentsAndDefaults) {
    const Signature s = {"f",
                         "x, [n], [s]",
                         {{takesReal},
                          {.kinds = takesReal, .presence = Presence::optional, .fallback = 7},
                          {.kinds = takesString, .presence = Presence::optionalOrNone}}};
    EXPECT_TRUE(read(
        s, [] { pushReal(1); },
        [](const Arguments& a) {
            EXPECT_EQ(a.count(), 1);
            EXPECT_EQ(a.real(0), 1);
            EXPECT_FALSE(a.given(1));
            EXPECT_EQ(a.real(1), 7);
            EXPECT_FALSE(a.given(2));
        }));
    EXPECT_TRUE(read(
        s,
        [this] {
            pushReal(1);
            pushReal(2);
            none();
        },
        [](const Arguments& a) {
            EXPECT_EQ(a.real(1), 2);
            EXPECT_FALSE(a.given(2));
        }));
    EXPECT_TRUE(read(
        s,
        [] {
            pushReal(1);
            pushReal(2);
            pushCString("s");
        },
        [](const Arguments& a) { EXPECT_STREQ(a.text(2), "s"); }));
    // none is a value of its own where only leaving out is allowed.
    EXPECT_FALSE(read(s, [this] {
        pushReal(1);
        none();
    }));
    expectNeed("x, [n], [s]");
    // Too few: refused before anything is resolved.
    EXPECT_FALSE(read(s, [] {}));
    expectNeed("x, [n], [s]");
    const Signature two = {"f", "x, y", {{takesReal}, {takesReal}}};
    EXPECT_FALSE(read(two, [this] { unresolvable(); }));
    expectNeed("x, y");
    // More than declared: counted, neither resolved nor checked.
    EXPECT_TRUE(read(
        two,
        [this] {
            pushReal(1);
            pushReal(2);
            unresolvable();
        },
        [](const Arguments& a) { EXPECT_EQ(a.count(), 3); }));
    EXPECT_EQ(output(), "");
}

TEST_F(ArgumentsTest, OrderOfRefusalAndResolvingErrors) {
    auto wrongThenUnresolvable = [this] {
        pushCString("a");
        unresolvable();
    };
    const Signature allFirst = {"f", "x, y", {{takesReal}, {takesReal}}};
    EXPECT_FALSE(read(allFirst, wrongThenUnresolvable));
    const std::string message = output();
    EXPECT_EQ(message.find("Need"), std::string::npos) << message;
    EXPECT_NE(errorCode, 0);
    EXPECT_NE(errorCode, 26);

    const Signature atOnce = {.builtin = "f",
                              .need = "x, y",
                              .rules = {{takesReal}, {takesReal}},
                              .order = CheckOrder::asResolved};
    EXPECT_FALSE(read(atOnce, wrongThenUnresolvable));
    expectNeed("x, y");

    // A wrong second argument after a right first: the same in both orders.
    for (const Signature* s : {&allFirst, &atOnce}) {
        EXPECT_FALSE(read(*s, [] {
            pushReal(1);
            pushCString("b");
        }));
        expectNeed("x, y");
    }
}

TEST_F(ArgumentsTest, OwnRefusals) {
    const Signature s = {.builtin = "f",
                         .rules = {{takesString}},
                         .refusal = {errorGraphicsArgument, "Argument must be a string!\n"}};
    EXPECT_FALSE(read(s, [] { pushReal(1); }));
    expectRefused("Argument must be a string!\n", errorGraphicsArgument);
    EXPECT_TRUE(read(
        s, [] { pushCString("a"); },
        [this](const Arguments& a) {
            a.refuse();
            expectRefused("Argument must be a string!\n", errorGraphicsArgument);
            errorCode = 0;
            a.need("more");
            expectRefused("Need more for f\n", 26);
        }));
}

TEST_F(ArgumentsTest, CommonNumberFamily) {
    auto kinds = [](const Arguments& a) { return std::vector<int>{a[0]->kind, a[1]->kind}; };
    const Signature same = {.builtin = "f",
                            .need = "two numbers",
                            .rules = {{takesNumeric}, {takesNumeric}},
                            .sameFamily = true};
    const Signature apart = {"f", "two numbers", {{takesNumeric}, {takesNumeric}}};
    struct Case {
        const Signature* signature;
        std::function<void(ArgumentsTest*)> push;
        std::vector<int> kinds;
    } cases[] = {
        {&same, [](auto) { pushReal(2), pushComplex(0, 1); }, {kindComplex, kindComplex}},
        {&same,
         [](auto t) {
             t->row({1, 2}), pushInterval(0, 1);
         },
         {kindIntervalMatrix, kindInterval}},
        {&same, [](auto) { pushReal(2), pushReal(3); }, {kindReal, kindReal}},
        {&apart, [](auto) { pushReal(2), pushComplex(0, 1); }, {kindReal, kindComplex}},
    };
    for (const Case& c : cases) {
        std::vector<int> got;
        EXPECT_TRUE(read(
            *c.signature, [&] { c.push(this); }, [&](const Arguments& a) { got = kinds(a); }));
        EXPECT_EQ(got, c.kinds);
    }
    double re = 0, im = 1;
    EXPECT_TRUE(read(
        same, [] { pushReal(2), pushComplex(0, 1); },
        [&](const Arguments& a) {
            re = complexOf(a[0])[0];
            im = complexOf(a[0])[1];
        }));
    EXPECT_EQ(re, 2);
    EXPECT_EQ(im, 0);
}

}  // namespace kalix
