#pragma once

// An XDF of 1,000 tables (about 3 MB) shaped like the files tuners share, with axis labels and
// descriptions, for the benchmarks of reading definition files and of Load Tables.

#include <cstdio>
#include <string>

inline constexpr int kXdfTables = 1000;

inline std::string XdfHex(int value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%X", static_cast<unsigned>(value));
  return buffer;
}

inline void AppendXdfAxis(std::string& out, char id, int count, int table) {
  out += "    <XDFAXIS id=\"";
  out += id;
  out += "\" uniqueid=\"0x0\">\n";
  out += "      <EMBEDDEDDATA mmedtypeflags=\"0x02\" mmedaddress=\"" +
         XdfHex(0x20000 + table * 64 + (id == 'y' ? 32 : 0)) +
         "\" mmedelementsizebits=\"16\" mmedmajorstridebits=\"16\" mmedminorstridebits=\"0\" />\n";
  out += "      <units>Axis " + std::string(1, id) + " of table " + std::to_string(table) +
         "</units>\n";
  out += "      <indexcount>" + std::to_string(count) + "</indexcount>\n";
  out += "      <decimalpl>0</decimalpl>\n      <outputtype>2</outputtype>\n";
  out += "      <embedinfo type=\"1\" />\n      <datatype>0</datatype>\n";
  out += "      <unittype>0</unittype>\n      <DALINK index=\"0\" />\n";
  for (int i = 0; i < count; ++i) {
    out += "      <LABEL index=\"" + std::to_string(i) + "\" value=\"" + std::to_string(i * 250) +
           "\" />\n";
  }
  out += "      <MATH equation=\"40.000000 * X\">\n        <VAR id=\"X\" />\n      </MATH>\n";
  out += "    </XDFAXIS>\n";
}

// An XDF as another program writes it: no elements of this editor's own.
inline std::string ThousandXdfTables() {
  std::string out =
      "<!-- Written for a benchmark -->\n<XDFFORMAT version=\"1.70\">\n  <XDFHEADER>\n"
      "    <flags>0x1</flags>\n    <deftitle>Benchmark</deftitle>\n"
      "    <BASEOFFSET offset=\"0\" subtract=\"0\" />\n"
      "    <DEFAULTS datasizeinbits=\"8\" sigdigits=\"2\" outputtype=\"1\" signed=\"0\" "
      "lsbfirst=\"1\" float=\"0\" />\n  </XDFHEADER>\n";
  for (int table = 0; table < kXdfTables; ++table) {
    const int rows = 8 + table % 9;
    const int columns = 8 + table % 13;
    out += "  <XDFTABLE uniqueid=\"0x" + std::to_string(table) + "\" flags=\"0x0\">\n";
    out += "    <title>Map " + std::to_string(table) + " &amp; friends</title>\n";
    out += "    <description>Ignition angle correction for cylinder bank " +
           std::to_string(table % 2) +
           " at part load, with the engine warm and the intake air below forty degrees; "
           "taken from a measured calibration and smoothed by hand.</description>\n";
    out += "    <CATEGORYMEM index=\"0\" category=\"" + std::to_string(table % 40) + "\" />\n";
    AppendXdfAxis(out, 'x', columns, table);
    AppendXdfAxis(out, 'y', rows, table);
    out += "    <XDFAXIS id=\"z\">\n";
    out += "      <EMBEDDEDDATA mmedtypeflags=\"0x0" + std::to_string(table % 4) +
           "\" mmedaddress=\"" + XdfHex(0x40000 + table * 512) + "\" mmedelementsizebits=\"" +
           (table % 3 == 0 ? "16" : "8") + "\" mmedrowcount=\"" + std::to_string(rows) +
           "\" mmedcolcount=\"" + std::to_string(columns) +
           "\" mmedmajorstridebits=\"0\" mmedminorstridebits=\"0\" />\n";
    out += "      <units>grad KW</units>\n      <decimalpl>2</decimalpl>\n";
    out += "      <min>0.000000</min>\n      <max>255.000000</max>\n";
    out += "      <outputtype>1</outputtype>\n";
    out += table % 10 == 0 ? "      <MATH equation=\"14.7/(1+X*.0078125)\">\n"
                           : "      <MATH equation=\"0.750000 * X + -48\">\n";
    out += "        <VAR id=\"X\" />\n      </MATH>\n    </XDFAXIS>\n  </XDFTABLE>\n";
  }
  out += "</XDFFORMAT>\n";
  return out;
}
