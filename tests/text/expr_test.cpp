#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "text/expr.h"

namespace {

struct Result {
  int32_t value;
  int ok;
  int consumed;
};

Result Eval(const char* t, int level = -2, ExprSymbolProc sym = nullptr, void* ctx = nullptr) {
  Result r{-77, -77, 0};
  r.consumed = ExprEvalIntA(t, &r.value, &r.ok, level, sym, ctx);
  return r;
}

TEST(ExprEvalInt, PrecedenceAndParentheses) {
  EXPECT_EQ(Eval("2+3*4").value, 14);
  EXPECT_EQ(Eval("(2+3)*4").value, 20);
  EXPECT_EQ(Eval("20-4-3").value, 13);  // left to right
  EXPECT_EQ(Eval("64/4/2").value, 8);
  EXPECT_EQ(Eval("1<<4|1").value, 17);
  EXPECT_EQ(Eval("-3*-(2)").value, 6);
  EXPECT_EQ(Eval("7%4==3 && 1 || 0").value, 1);
  EXPECT_EQ(Eval("~0 ^ 0xF").value, -16);
  EXPECT_EQ(Eval("!5 + 2<3").value, 1);
  Result r = Eval(" 0x100 - 1 ");
  EXPECT_EQ(r.value, 255);
  EXPECT_EQ(r.ok, 1);
  EXPECT_EQ(r.consumed, 11);
}

TEST(ExprEvalInt, StopsAtTrailingText) {
  Result r = Eval("800px");
  EXPECT_EQ(r.value, 800);
  EXPECT_EQ(r.ok, 1);
  EXPECT_EQ(r.consumed, 3);
  r = Eval("2 * 3 )");
  EXPECT_EQ(r.value, 6);
  EXPECT_EQ(r.consumed, 6);
}

TEST(ExprEvalInt, ErrorsAreReported) {
  const char* bad[] = {"", "  ", "(1+2", "1/0", "5%0", "1+", "*3", "abc", "((((", ")"};
  for (const char* t : bad) {
    Result r = Eval(t);
    EXPECT_EQ(r.ok, 0) << t;
    EXPECT_EQ(r.value, 0) << t;
  }
  std::string deep(100000, '(');
  EXPECT_EQ(Eval(deep.c_str()).ok, 0);  // no stack overflow
  std::string minus(100000, '-');
  minus += "1";
  EXPECT_EQ(Eval(minus.c_str()).ok, 0);
}

TEST(ExprEvalInt, ThirtyTwoBitWrapAround) {
  EXPECT_EQ(Eval("0x7FFFFFFF+1").value, INT32_MIN);
  EXPECT_EQ(Eval("65536*65536").value, 0);
  Result r = Eval("(0-2147483647-1)/-1");
  EXPECT_EQ(r.ok, 1);
  EXPECT_EQ(r.value, INT32_MIN);
  EXPECT_EQ(Eval("1<<33").value, 2);
}

TEST(ExprEvalInt, PrecedenceLevelLimitsTheOperators) {
  Result r = Eval("6*7+1", 9);  // one product
  EXPECT_EQ(r.value, 42);
  EXPECT_EQ(r.consumed, 3);
  r = Eval("6*7+1", 10);  // one operand
  EXPECT_EQ(r.value, 6);
  EXPECT_EQ(r.consumed, 1);
}

int Symbols(void* ctx, const char* name, int length, int32_t* value) {
  ++*(int*)ctx;
  if (length == 5 && memcmp(name, "WIDTH", 5) == 0) {
    *value = 1024;
    return 1;
  }
  return 0;
}

TEST(ExprEvalInt, SymbolsThroughTheCallback) {
  int calls = 0;
  Result r = Eval("WIDTH/2 + 1", -2, Symbols, &calls);
  EXPECT_EQ(r.value, 513);
  EXPECT_EQ(r.ok, 1);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(Eval("HEIGHT", -2, Symbols, &calls).ok, 0);
  EXPECT_EQ(Eval("WIDTH").ok, 0);  // no callback, no symbols
}

}  // namespace
