#pragma once

// Ten thousand table lines in the style of an outside editor's ".ecu" files, one in eight
// bit-wise, for the benchmarks of reading, refreshing and exporting the definition lists.

#include "app/number_text.h"

#include <string>

inline constexpr int kTables = 10000;

inline std::string TenThousandTables() {
  std::string text = "{ 1a2,  7f, 3, 100,10000}\r\n";
  for (int i = 0; i < kTables; ++i) {
    const bool bitwise = i % 8 == 7;
    text += '{';
    text += HexText(0x8000 + 16 * i, 4);
    text += ',';
    text += std::to_string(1 + i % 16);
    text += ',';
    text += std::to_string(1 + i % 12);
    text += bitwise ? ",2,80" : ",2,0";
    text += ",-40.0000,1.0000,0.1000,Table number ";
    text += std::to_string(i);
    text += ",Engine speed (rpm),unused,Load (%),unused}\r\n";
  }
  return text;
}
