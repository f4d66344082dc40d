// Makes the example image demo.bin and its table definitions demo.ecu: a 4 KiB image holding
// a few plausible tables, and the ".ecu" lines that describe them. Plain C++, no project code:
//
//   g++ -std=c++20 -O2 examples/make_demo.cpp -o make_demo && ./make_demo examples
//
// Load demo.bin in the editor and answer Yes to the ".ECU" question to see the tables.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kImageSize = 4096;

struct Image {
  std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(kImageSize, 0xFF);

  // Every value must fit its entry unsigned: the editor reads the entries as unsigned, so a
  // negative value would show as a huge one.
  void Put8(std::size_t at, int value) {
    Check(value, 0xFF);
    bytes.at(at) = static_cast<std::uint8_t>(value);
  }
  // Entries are big-endian, as the editor reads them.
  void Put16(std::size_t at, int value) {
    Check(value, 0xFFFF);
    bytes.at(at) = static_cast<std::uint8_t>(value >> 8);
    bytes.at(at + 1) = static_cast<std::uint8_t>(value);
  }

  static void Check(int value, int largest) {
    if (value < 0 || value > largest) {
      throw std::out_of_range("value " + std::to_string(value) + " does not fit its entry");
    }
  }
};

// One ".ecu" table line: address, columns, rows, entry size, kind, offset, divide flag, scale,
// name, Y axis name, an unused text, X axis name, another unused text.
std::string EcuLine(int address, int columns, int rows, int size, int kind, double offset,
                    double divide, double scale, const std::string& name, const std::string& yAxis,
                    const std::string& xAxis) {
  char numbers[160];
  std::snprintf(numbers, sizeof numbers, "{%4x,%2d,%2d,%2d,%2x,%8.4f,%8.4f,%8.4f,", address,
                columns, rows, size, kind, offset, divide, scale);
  return numbers + name + "," + yAxis + ", ," + xAxis + ", }\r\n";
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path folder = argc > 1 ? argv[1] : ".";
  Image image;
  const std::string banner = "DEMO ECU IMAGE";
  for (std::size_t i = 0; i < banner.size(); ++i) image.Put8(i, banner[i]);

  // Fuel map, 8-bit, 16 load columns x 16 speed rows: richer with load, a ridge at mid speed.
  constexpr int kFuel = 0x0100;
  for (int r = 0; r < 16; ++r) {
    for (int c = 0; c < 16; ++c) {
      const double ridge = 20.0 * std::exp(-std::pow((r - 8) / 4.0, 2));
      image.Put8(kFuel + r * 16 + c, static_cast<int>(40 + 9.0 * c + ridge));
    }
  }

  // Ignition timing, 16-bit, 16 x 12, in tenths of a degree: advance falls with load and
  // rises with speed, from about half a degree at low speed and full load to about 41.
  constexpr int kIgnition = 0x0200;
  for (int r = 0; r < 12; ++r) {
    for (int c = 0; c < 16; ++c) {
      const double degrees = 17.0 + 2.2 * r - 1.1 * c + 3.0 * std::sin(r * c / 20.0);
      image.Put16(kIgnition + (r * 16 + c) * 2, static_cast<int>(std::lround(degrees * 10.0)));
    }
  }

  // Idle speed target, 16-bit, one row of 8 coolant temperatures, in rpm.
  constexpr int kIdle = 0x0400;
  const int idle[8] = {1400, 1300, 1200, 1100, 1000, 900, 850, 850};
  for (int c = 0; c < 8; ++c) image.Put16(kIdle + c * 2, idle[c]);

  // Engine flags, two bytes of single-bit switches.
  constexpr int kFlags = 0x0500;
  image.Put8(kFlags, 0b1010'0101);
  image.Put8(kFlags + 1, 0b0000'0011);

  std::ofstream bin(folder / "demo.bin", std::ios::binary | std::ios::trunc);
  bin.write(reinterpret_cast<const char*>(image.bytes.data()),
            static_cast<std::streamsize>(image.bytes.size()));

  std::string ecu = "{   0,   0, 0,   0, 4}\r\n";
  ecu += EcuLine(kFuel, 16, 16, 1, 0, 0.0, 0.0, 0.5, "Fuel Map", "Engine Speed", "Load");
  ecu +=
      EcuLine(kIgnition, 16, 12, 2, 0, 0.0, 1.0, 10.0, "Ignition Timing", "Engine Speed", "Load");
  ecu += EcuLine(kIdle, 8, 1, 2, 0, 0.0, 0.0, 1.0, "Idle Speed Target", "", "Coolant Temp");
  ecu += EcuLine(kFlags, 1, 1, 2, 0x80, 0.0, 0.0, 1.0, "Engine Flags", "", "");
  std::ofstream text(folder / "demo.ecu", std::ios::binary | std::ios::trunc);
  text << ecu;

  if (!bin || !text) {
    std::cerr << "make_demo: could not write into " << folder << "\n";
    return 1;
  }
  return 0;
}
