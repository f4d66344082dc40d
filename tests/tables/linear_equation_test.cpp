#include "tables/linear_equation.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct LinearCase {
  std::string Text;
  double Scale;
  double Offset;
};

TEST(LinearEquationTest, LinearFormsGiveTheirScaleAndOffset) {
  const LinearCase cases[] = {
      {"X", 1, 0},
      {"X*0.75-48", 0.75, -48},
      {"40.000000 * X", 40, 0},
      {"(X-128)/2", 0.5, -64},
      {"x*0.01933677-14.6959452", 0.01933677, -14.6959452},
      {"-x / 4 + 1e1", -0.25, 10},
      {"((X))*(2+3)", 5, 0},
      {"X*.0078125", 0.0078125, 0},
      {"+X - -1", 1, 1},
      {"2*(X+1)*3", 6, 6},
      {"X/2/2", 0.25, 0},
  };
  for (const auto& c : cases) {
    const auto equation = LinearEquation(c.Text, "X");
    ASSERT_TRUE(equation.has_value()) << c.Text;
    EXPECT_DOUBLE_EQ(equation->Scale, c.Scale) << c.Text;
    EXPECT_DOUBLE_EQ(equation->Offset, c.Offset) << c.Text;
  }
}

TEST(LinearEquationTest, AnythingElseIsNoLinearEquation) {
  for (const std::string& text : std::initializer_list<std::string>{
           "X*X", "1/X", "14.7/(1+X*.0078125)", "sqrt(X)", "Y*2", "X+", "", "  ", "X 2", "(X", "X)",
           "X/0", "X/(2-2)", "1e999*X", "X*0,5", "XX", "X**2", std::string(500, '(') + "X"}) {
    EXPECT_FALSE(LinearEquation(text, "X").has_value()) << text;
  }
  EXPECT_TRUE(LinearEquation("A * 3", "a").has_value());
}

}  // namespace
