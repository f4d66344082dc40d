#include "tables/xdf_file.h"

#include "app/number_text.h"
#include "image/safe_write.h"
#include "tables/linear_equation.h"
#include "tables/typed_definition.h"

#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <span>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

// The XML form of XDF as read and written here:
//
//   XDFFORMAT
//     XDFHEADER: BASEOFFSET offset, subtract; DEFAULTS datasizeinbits, signed, lsbfirst, float
//     XDFTABLE: title; XDFAXIS id="x" / "y" (units, indexcount, MATH); XDFAXIS id="z" with
//       EMBEDDEDDATA (mmedaddress, mmedelementsizebits, mmedrowcount, mmedcolcount,
//       mmedtypeflags), units and MATH equation="…" holding VAR id="X"
//     XDFCONSTANT: title, EMBEDDEDDATA, units, MATH
//     XDFFLAG: title, EMBEDDEDDATA, mask
//
// Beside them this editor writes elements of its own, which other programs pass over: each
// XDFTABLE holds a "qvfields" element with every field of its row as typed and the row's entry
// format; each bit-wise row is a "qvbitwise" element in XDFFORMAT, and the XDFFLAGs written
// for its described bits carry an empty "qvpart" element. Reading takes a row from these when
// they are there, so the lists read back exactly; the XDF elements themselves are what other
// programs use and what a file from elsewhere is read from.

namespace {

// Type flags of EMBEDDEDDATA.
constexpr std::uint32_t kSignedFlag = 0x01;
constexpr std::uint32_t kLsbFirstFlag = 0x02;
constexpr std::uint32_t kColumnMajorFlag = 0x04;
constexpr std::uint32_t kFloatFlag = 0x10000;

constexpr std::string_view kRootName = "XDFFORMAT";
constexpr const char* kTableFields = "qvfields";
constexpr const char* kBitWiseFields = "qvbitwise";
constexpr const char* kBitWisePart = "qvpart";

// Attribute names of the kept fields: "f" and the column number.
constexpr std::array<const char*, BitWiseDefinition::ColumnCount> kFieldNames = {
    "f0",  "f1",  "f2",  "f3",  "f4",  "f5",  "f6",  "f7",  "f8",  "f9",  "f10", "f11",
    "f12", "f13", "f14", "f15", "f16", "f17", "f18", "f19", "f20", "f21", "f22", "f23",
    "f24", "f25", "f26", "f27", "f28", "f29", "f30", "f31", "f32", "f33", "f34"};

// Numbers beyond this are held at it: far past any address, so still reported as too large.
constexpr std::int64_t kHuge = std::int64_t{1} << 62;

std::int64_t AddHeld(std::int64_t a, std::int64_t b) {
  return std::clamp(a, -kHuge, kHuge) + std::clamp(b, -kHuge, kHuge);
}

// A number as XDF attributes and elements write it: decimal or "0x" hexadecimal, with an
// optional sign and surrounding white space. Nothing when it is no such number.
std::optional<std::int64_t> XdfNumber(std::string_view text) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : text) {
    int digit = 0;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    value = value > (kHuge - digit) / base ? kHuge : value * base + digit;
  }
  return negative ? -value : value;
}

// ---- Reading -------------------------------------------------------------------------------

// What the header says every table has unless its own EMBEDDEDDATA says otherwise.
struct XdfDefaults {
  std::int64_t ElementBits = 8;
  std::uint32_t TypeFlags = 0;
};

// Where and how a table's entries lie, from one EMBEDDEDDATA.
struct XdfPlacement {
  std::int32_t Address = 0;
  std::int32_t Bytes = 1;
  std::int32_t Rows = 1;
  std::int32_t Columns = 1;
  std::uint32_t TypeFlags = 0;
};

// Why an element was passed over, and the node it concerns.
struct XdfFault {
  pugi::xml_node Node;
  std::string Message;
};

// A bit-wise row being built while the flags at its address are read.
struct FlagGroup {
  std::int32_t Address = 0;
  std::int32_t Bytes = 1;
  std::string Name;
  std::array<std::string, BitWiseDefinition::BitCount> Descriptions{};
  std::uint32_t Described = 0;  // bits with a description
};

std::string DecodeKept(std::string_view text);

// "0x" and upper-case hexadecimal digits, "-" before a negative value.
std::string AddressText(std::int64_t value) {
  const std::uint64_t magnitude = value < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(value)
                                            : static_cast<std::uint64_t>(value);
  char buffer[24];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, magnitude, 16);
  std::string text = value < 0 ? "-0x" : "0x";
  for (const char* c = buffer; c != end.ptr; ++c) {
    text += *c >= 'a' && *c <= 'f' ? static_cast<char>(*c - 'a' + 'A') : *c;
  }
  return text;
}

class XdfReader {
 public:
  XdfReader(std::string_view text, std::int64_t baseAddress)
      : text_(text), base_address_(baseAddress) {}

  TDefinitionFileRead Read() {
    if (LooksLikeTextForm()) {
      return Nothing(
          "the file is an XDF in the old text form, which is not read: save it again in the XML "
          "form");
    }
    pugi::xml_document document;
    const pugi::xml_parse_result parsed =
        document.load_buffer(text_.data(), text_.size(), pugi::parse_default, pugi::encoding_auto);
    if (!parsed) {
      return Nothing(LineText(parsed.offset) + ": the file is not XML (" + parsed.description() +
                     ")");
    }
    const pugi::xml_node root = document.document_element();
    if (std::string_view(root.name()) != kRootName) {
      return Nothing("the file is XML of another kind (its root element is <" +
                     std::string(root.name()) + ">, not <XDFFORMAT>)");
    }
    if (!ReadHeader(root.child("XDFHEADER"))) return Nothing(std::move(result_.Problem));

    for (const pugi::xml_node node : root.children()) {
      const std::string_view name = node.name();
      if (name == "XDFTABLE") {
        ReadTable(node);
      } else if (name == "XDFCONSTANT") {
        ReadConstant(node);
      } else if (name == "XDFFLAG") {
        ReadFlag(node);
      } else if (name == kBitWiseFields) {
        bit_rows_.push_back(KeptRow(node, BitWiseDefinition::ColumnCount));
      }
    }
    for (auto& row : bit_rows_) {
      if (const auto* group = std::get_if<std::size_t>(&row)) {
        FlagGroup& flags = groups_[*group];
        std::vector<std::string> fields{std::move(flags.Name), HexText(flags.Address, 4),
                                        DecimalText(flags.Bytes)};
        for (auto& description : flags.Descriptions) fields.push_back(std::move(description));
        result_.Lists.BitWise.Append(std::move(fields));
      } else {
        result_.Lists.BitWise.Append(std::move(std::get<std::vector<std::string>>(row)));
      }
      ++result_.Read;
    }
    if (result_.Read == 0 && result_.Problem.empty()) {
      result_.Problem = "the file holds no tables, constants or flags";
    }
    result_.Lists.SelectedList = ListKind::Ordinary;
    result_.Lists.Ordinary.SetCurrentRow(1);
    result_.Lists.BitWise.SetCurrentRow(1);
    return std::move(result_);
  }

 private:
  // The old form starts with the word XDF on a line of its own; the XML form with "<".
  [[nodiscard]] bool LooksLikeTextForm() const {
    std::string_view text = text_;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    const auto start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) return false;
    text.remove_prefix(start);
    return text.starts_with("XDF") && (text.size() == 3 || text[3] == '\r' || text[3] == '\n' ||
                                       text[3] == ' ' || text[3] == '\t');
  }

  TDefinitionFileRead Nothing(std::string problem) {
    TDefinitionFileRead nothing;
    nothing.Problem = std::move(problem);
    return nothing;
  }

  // "line N" of an offset into the text, counting from 1.
  [[nodiscard]] std::string LineText(std::ptrdiff_t offset) const {
    const auto end =
        std::clamp<std::ptrdiff_t>(offset, 0, static_cast<std::ptrdiff_t>(text_.size()));
    const auto breaks = std::count(text_.begin(), text_.begin() + end, '\n');
    return "line " + std::to_string(breaks + 1);
  }

  void Report(std::string_view kind, std::string_view title, const XdfFault& fault) {
    if (!result_.Problem.empty()) return;
    result_.Problem = LineText(fault.Node.offset_debug()) + ": " + std::string(kind) + " \"" +
                      std::string(title) + "\": " + fault.Message;
  }

  bool ReadHeader(pugi::xml_node header) {
    const pugi::xml_node base = header.child("BASEOFFSET");
    if (const pugi::xml_attribute offset = base.attribute("offset")) {
      const std::optional<std::int64_t> value = XdfNumber(offset.value());
      if (!value) {
        result_.Problem = LineText(base.offset_debug()) + ": the base offset \"" + offset.value() +
                          "\" is not a number";
        return false;
      }
      const bool subtract = XdfNumber(base.attribute("subtract").value()).value_or(0) != 0;
      shift_ = subtract ? -*value : *value;
    }
    shift_ = AddHeld(shift_, base_address_);

    const pugi::xml_node defaults = header.child("DEFAULTS");
    const auto flag = [&](const char* name, std::uint32_t bit) {
      if (XdfNumber(defaults.attribute(name).value()).value_or(0) != 0) defaults_.TypeFlags |= bit;
    };
    flag("signed", kSignedFlag);
    flag("lsbfirst", kLsbFirstFlag);
    flag("float", kFloatFlag);
    if (const auto bits = XdfNumber(defaults.attribute("datasizeinbits").value())) {
      defaults_.ElementBits = *bits;
    }
    return true;
  }

  // A count from an attribute, else from the fallback element's text, else 1.
  static std::optional<XdfFault> Count(pugi::xml_node data, const char* attribute,
                                       pugi::xml_node fallback, std::string_view what,
                                       std::int32_t& count) {
    const pugi::xml_attribute given = data.attribute(attribute);
    const pugi::xml_node node = given ? data : fallback;
    if (!given && !fallback) {
      count = 1;
      return std::nullopt;
    }
    const std::string_view text = given ? given.value() : fallback.text().get();
    const std::optional<std::int64_t> value = XdfNumber(text);
    if (!value) {
      return XdfFault{
          node, "the " + std::string(what) + " \"" + std::string(text) + "\" is not a number"};
    }
    if (*value < 1 || *value > std::numeric_limits<std::int32_t>::max()) {
      return XdfFault{node,
                      "the " + std::string(what) + " " + std::string(text) + " is out of range"};
    }
    count = static_cast<std::int32_t>(*value);
    return std::nullopt;
  }

  // The placement an EMBEDDEDDATA names; rows and columns fall back to the axes' index counts.
  std::optional<XdfFault> Place(pugi::xml_node data, pugi::xml_node rowCount,
                                pugi::xml_node columnCount, XdfPlacement& place) const {
    if (!data) return XdfFault{data, "the entries' place (EMBEDDEDDATA) is missing"};
    const pugi::xml_attribute address = data.attribute("mmedaddress");
    if (!address) return XdfFault{data, "the address is missing"};
    const std::optional<std::int64_t> offset = XdfNumber(address.value());
    if (!offset) {
      return XdfFault{data, "the address \"" + std::string(address.value()) + "\" is not a number"};
    }
    const std::int64_t at = AddHeld(*offset, shift_);
    if (at < 0) return XdfFault{data, "the address " + AddressText(at) + " is negative"};
    if (at > std::numeric_limits<std::int32_t>::max()) {
      return XdfFault{data, "the address " + AddressText(at) + " is past 2 GiB"};
    }
    place.Address = static_cast<std::int32_t>(at);

    place.TypeFlags = defaults_.TypeFlags;
    if (const pugi::xml_attribute flags = data.attribute("mmedtypeflags")) {
      const std::optional<std::int64_t> value = XdfNumber(flags.value());
      if (!value || *value < 0 || *value > 0xFFFFFFFF) {
        return XdfFault{data,
                        "the type flags \"" + std::string(flags.value()) + "\" are not a number"};
      }
      place.TypeFlags = static_cast<std::uint32_t>(*value);
    }

    std::int64_t bits = defaults_.ElementBits;
    if (const pugi::xml_attribute size = data.attribute("mmedelementsizebits")) {
      const std::optional<std::int64_t> value = XdfNumber(size.value());
      if (!value) {
        return XdfFault{data,
                        "the element size \"" + std::string(size.value()) + "\" is not a number"};
      }
      bits = *value;
    }
    if (bits < 8 || bits > 32 || bits % 8 != 0) {
      return XdfFault{data, "entries of " + std::to_string(bits) + " bits are not read"};
    }
    if ((place.TypeFlags & kFloatFlag) != 0 && bits != 32) {
      return XdfFault{data,
                      "floating-point entries of " + std::to_string(bits) + " bits are not read"};
    }
    place.Bytes = static_cast<std::int32_t>(bits / 8);

    if (auto fault = Count(data, "mmedrowcount", rowCount, "row count", place.Rows)) return fault;
    return Count(data, "mmedcolcount", columnCount, "column count", place.Columns);
  }

  static TEntryFormat FormatOf(std::uint32_t flags) {
    return {
        .Signed = (flags & kSignedFlag) != 0,
        .Order = (flags & kLsbFirstFlag) != 0 ? TByteOrder::LittleEndian : TByteOrder::BigEndian,
        .Float = (flags & kFloatFlag) != 0};
  }

  // The equation of a MATH element: a linear one as scale and offset, else kept as text
  // (when `equation` is given) with scale 1 and offset 0.
  static void Scaling(pugi::xml_node math, double& scale, double& offset, std::string* equation) {
    scale = 1.0;
    offset = 0.0;
    const std::string_view text = math.attribute("equation").value();
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return;
    const pugi::xml_attribute variable = math.child("VAR").attribute("id");
    if (const auto linear = LinearEquation(text, variable ? variable.value() : "X")) {
      scale = linear->Scale;
      offset = linear->Offset;
    } else if (equation != nullptr) {
      *equation = text;
    }
  }

  std::vector<std::string> KeptRow(pugi::xml_node kept, int columns) {
    std::vector<std::string> fields(static_cast<std::size_t>(columns));
    for (int column = 0; column < columns; ++column) {
      fields[static_cast<std::size_t>(column)] =
          DecodeKept(kept.attribute(kFieldNames[static_cast<std::size_t>(column)]).value());
    }
    return fields;
  }

  void ReadTable(pugi::xml_node table) {
    if (const pugi::xml_node kept = table.child(kTableFields)) {
      const auto flag = [&](const char* name) { return kept.attribute(name).as_int() != 0; };
      const TEntryFormat format{
          .Signed = flag("signed"),
          .Order = flag("lsbfirst") ? TByteOrder::LittleEndian : TByteOrder::BigEndian,
          .Float = flag("float"),
          .Equation = DecodeKept(kept.attribute("equation").value())};
      result_.Lists.Ordinary.Append(KeptRow(kept, TableDefinition::ColumnCount), format);
      ++result_.Read;
      return;
    }

    const std::string title = table.child("title").text().get();
    pugi::xml_node x;
    pugi::xml_node y;
    pugi::xml_node z;
    for (const pugi::xml_node axis : table.children("XDFAXIS")) {
      const std::string_view id = axis.attribute("id").value();
      pugi::xml_node& slot = id == "x" ? x : id == "y" ? y : z;
      if ((id == "x" || id == "y" || id == "z") && !slot) slot = axis;
    }
    if (!z) {
      Report("table", title, {table, "the data axis (XDFAXIS id=\"z\") is missing"});
      return;
    }
    XdfPlacement place;
    if (auto fault =
            Place(z.child("EMBEDDEDDATA"), y.child("indexcount"), x.child("indexcount"), place)) {
      if (!fault->Node) fault->Node = z;
      Report("table", title, *fault);
      return;
    }

    TTypedDefinition definition{.TableName = title,
                                .TableAddress = place.Address,
                                .Columns = place.Columns,
                                .Rows = place.Rows,
                                .EntrySize = place.Bytes,
                                .XLabel = x.child("units").text().get(),
                                .YLabel = y.child("units").text().get(),
                                .ZLabel = z.child("units").text().get(),
                                .Format = FormatOf(place.TypeFlags)};
    Scaling(x.child("MATH"), definition.XScale, definition.XOffset, nullptr);
    Scaling(y.child("MATH"), definition.YScale, definition.YOffset, nullptr);
    Scaling(z.child("MATH"), definition.ZScale, definition.ZOffset, &definition.Format.Equation);
    // Stored column by column: listed the other way round, so the grid shows memory order.
    if ((place.TypeFlags & kColumnMajorFlag) != 0) {
      std::swap(definition.Rows, definition.Columns);
      std::swap(definition.XLabel, definition.YLabel);
      std::swap(definition.XScale, definition.YScale);
      std::swap(definition.XOffset, definition.YOffset);
    }
    result_.Lists.Ordinary.Append(DefinitionRow(definition), definition.Format);
    ++result_.Read;
  }

  void ReadConstant(pugi::xml_node constant) {
    const std::string title = constant.child("title").text().get();
    XdfPlacement place;
    const pugi::xml_node data = constant.child("EMBEDDEDDATA");
    if (auto fault = Place(data, {}, {}, place)) {
      if (!fault->Node) fault->Node = constant;
      Report("constant", title, *fault);
      return;
    }
    TTypedDefinition definition{.TableName = title,
                                .TableAddress = place.Address,
                                .EntrySize = place.Bytes,
                                .ZLabel = constant.child("units").text().get(),
                                .Format = FormatOf(place.TypeFlags)};
    Scaling(constant.child("MATH"), definition.ZScale, definition.ZOffset,
            &definition.Format.Equation);
    result_.Lists.Ordinary.Append(DefinitionRow(definition), definition.Format);
    ++result_.Read;
  }

  void ReadFlag(pugi::xml_node flag) {
    if (flag.child(kBitWisePart)) return;  // written for a kept bit-wise row
    const std::string title = flag.child("title").text().get();
    XdfPlacement place;
    if (auto fault = Place(flag.child("EMBEDDEDDATA"), {}, {}, place)) {
      if (!fault->Node) fault->Node = flag;
      Report("flag", title, *fault);
      return;
    }
    const pugi::xml_node mask_node = flag.child("mask");
    const std::optional<std::int64_t> mask = XdfNumber(mask_node.text().get());
    if (!mask || *mask <= 0 || *mask > 0xFFFFFFFF) {
      Report("flag", title,
             {mask_node ? mask_node : flag,
              "the mask \"" + std::string(mask_node.text().get()) + "\" names no bit"});
      return;
    }
    // The lowest bit of the mask is the one described.
    const int bit = std::countr_zero(static_cast<std::uint32_t>(*mask));
    const auto [found, added] = group_of_.try_emplace(place.Address, groups_.size());
    if (added) {
      groups_.push_back({.Address = place.Address, .Bytes = place.Bytes, .Name = title});
      bit_rows_.emplace_back(found->second);
    }
    FlagGroup& group = groups_[found->second];
    group.Bytes = std::max({group.Bytes, place.Bytes, static_cast<std::int32_t>(bit / 8 + 1)});
    if ((group.Described & (1u << bit)) == 0) {
      group.Described |= 1u << bit;
      group.Descriptions[static_cast<std::size_t>(bit)] = title;
    }
  }

  std::string_view text_;
  std::int64_t base_address_;
  std::int64_t shift_ = 0;  // added to every address the file names
  XdfDefaults defaults_;
  TDefinitionFileRead result_;
  // Bit-wise rows in the order the file gives them: kept rows, or flag groups by index.
  std::vector<std::variant<std::vector<std::string>, std::size_t>> bit_rows_;
  std::vector<FlagGroup> groups_;
  std::unordered_map<std::int32_t, std::size_t> group_of_;
};

// ---- Writing -------------------------------------------------------------------------------

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The next code point of valid UTF-8 at `text[at]` and its length; nothing for a byte that
// starts no valid sequence (overlong forms, surrogates and values past U+10FFFF included).
std::optional<std::pair<char32_t, std::size_t>> NextCodePoint(std::string_view text,
                                                              std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  char32_t point = 0;
  if (lead < 0x80) return std::pair{char32_t{lead}, std::size_t{1}};
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    point = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    point = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    point = lead & 0x07;
  } else {
    return std::nullopt;
  }
  if (at + length > text.size()) return std::nullopt;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return std::nullopt;
    point = (point << 6) | (byte(i) & 0x3F);
  }
  const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (point < least[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
    return std::nullopt;
  }
  return std::pair{point, length};
}

void AppendCharacterReference(std::string& out, char32_t point) {
  char buffer[16];
  const auto end =
      std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::uint32_t>(point), 16);
  out += "&#x";
  out.append(buffer, end.ptr);
  out += ';';
}

// The entity of a character that is markup in XML, else nothing.
std::string_view Entity(char32_t c) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '"':
      return "&quot;";
    default:
      return {};
  }
}

// A text for other programs to show, as XML in ASCII: markup characters as entities,
// everything past ASCII as character references. What XML 1.0 cannot hold (control
// characters, bytes that are no UTF-8) becomes U+FFFD.
void AppendShown(std::string& out, std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const auto next = NextCodePoint(text, at);
    const char32_t point = next ? next->first : 0xFFFD;
    at += next ? next->second : 1;
    const bool allowed = point >= 0x20 || point == '\t' || point == '\n' || point == '\r';
    if (const std::string_view entity = Entity(point); !entity.empty()) {
      out += entity;
    } else if (!allowed || point == 0xFFFE || point == 0xFFFF) {
      AppendCharacterReference(out, 0xFFFD);
    } else if (point >= 0x20 && point < 0x7F) {
      out += static_cast<char>(point);
    } else {
      AppendCharacterReference(out, point);
    }
  }
}

// A text kept exactly: printable ASCII as itself (markup characters as entities), every other
// byte and "%" itself as "%" and two hexadecimal digits. Holds any bytes, and no XML reader's
// white-space or line-end handling can change it.
void AppendKept(std::string& out, std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (const std::string_view entity = Entity(byte); !entity.empty()) {
      out += entity;
    } else if (byte < 0x20 || byte > 0x7E || c == '%') {
      out += '%';
      out += kHexDigits[byte >> 4];
      out += kHexDigits[byte & 0x0F];
    } else {
      out += c;
    }
  }
}

std::string DecodeKept(std::string_view text) {
  const auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '%' && at + 2 < text.size() && hex(text[at + 1]) >= 0 &&
        hex(text[at + 2]) >= 0) {
      out += static_cast<char>(hex(text[at + 1]) * 16 + hex(text[at + 2]));
      at += 2;
    } else {
      out += text[at];
    }
  }
  return out;
}

void AppendAttribute(std::string& out, std::string_view name, std::string_view value) {
  out += ' ';
  out += name;
  out += "=\"";
  out += value;
  out += '"';
}

void AppendKeptAttribute(std::string& out, std::string_view name, std::string_view value) {
  out += ' ';
  out += name;
  out += "=\"";
  AppendKept(out, value);
  out += '"';
}

void AppendElement(std::string& out, std::string_view indent, std::string_view name,
                   std::string_view shown) {
  out += indent;
  out += '<';
  out += name;
  out += '>';
  AppendShown(out, shown);
  out += "</";
  out += name;
  out += ">\n";
}

// A number of an equation, in plain decimals (no exponent), the shortest that reads back.
std::string EquationNumber(double value) {
  char buffer[400];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  return end.ec == std::errc{} ? std::string(buffer, end.ptr) : "0";
}

// "a * X" or "a * X + b" / "a * X - b"; just "X" for what no equation can hold.
std::string LinearText(double scale, double offset) {
  if (!std::isfinite(scale) || !std::isfinite(offset) || (scale == 1 && offset == 0)) return "X";
  std::string text = EquationNumber(scale) + " * X";
  if (offset > 0) text += " + " + EquationNumber(offset);
  if (offset < 0) text += " - " + EquationNumber(-offset);
  return text;
}

void AppendMath(std::string& out, std::string_view indent, std::string_view equation) {
  out += indent;
  out += "<MATH equation=\"";
  AppendShown(out, equation);
  out += "\">\n";
  out += indent;
  out += "  <VAR id=\"X\" />\n";
  out += indent;
  out += "</MATH>\n";
}

// "0x" and at least two upper-case hexadecimal digits, as type flags are written.
std::string FlagsText(std::uint32_t flags) {
  std::string text = AddressText(flags);
  if (text.size() < 4) text.insert(2, "0");
  return text;
}

// A whole number of a row's text, when it is one.
std::optional<std::int32_t> Whole(const std::string& text) { return TryParseInteger(text); }

void AppendPlace(std::string& out, std::string_view indent, std::optional<std::int64_t> offset,
                 std::optional<std::int32_t> bytes, std::uint32_t typeFlags,
                 std::optional<std::int32_t> rows, std::optional<std::int32_t> columns,
                 bool counts) {
  out += indent;
  out += "<EMBEDDEDDATA";
  AppendAttribute(out, "mmedtypeflags", FlagsText(typeFlags));
  if (offset) AppendAttribute(out, "mmedaddress", AddressText(*offset));
  if (bytes && *bytes >= 1 && *bytes <= 4) {
    AppendAttribute(out, "mmedelementsizebits", DecimalText(*bytes * 8));
  }
  if (counts && rows && *rows >= 1) AppendAttribute(out, "mmedrowcount", DecimalText(*rows));
  if (counts && columns && *columns >= 1) {
    AppendAttribute(out, "mmedcolcount", DecimalText(*columns));
  }
  out += " mmedmajorstridebits=\"0\" mmedminorstridebits=\"0\" />\n";
}

std::uint32_t TypeFlagsOf(const TEntryFormat& format) {
  return (format.Signed ? kSignedFlag : 0) |
         (format.Order == TByteOrder::LittleEndian ? kLsbFirstFlag : 0) |
         (format.Float ? kFloatFlag : 0);
}

// The file offset of a row's address text, when it is a number.
std::optional<std::int64_t> OffsetOf(const std::string& address, std::int64_t baseAddress) {
  const std::optional<std::int32_t> value = Whole(address);
  if (!value) return std::nullopt;
  return AddHeld(*value, -std::clamp(baseAddress, -kHuge, kHuge));
}

void AppendAxis(std::string& out, char id, const std::string& label, const std::string& scale,
                const std::string& offset, std::optional<std::int32_t> count) {
  out += "    <XDFAXIS id=\"";
  out += id;
  out += "\" uniqueid=\"0x0\">\n";
  out +=
      "      <EMBEDDEDDATA mmedelementsizebits=\"8\" mmedmajorstridebits=\"0\" "
      "mmedminorstridebits=\"0\" />\n";
  AppendElement(out, "      ", "units", label);
  if (count && *count >= 1) AppendElement(out, "      ", "indexcount", DecimalText(*count));
  out += "      <outputtype>1</outputtype>\n";
  AppendMath(out, "      ", LinearText(ParseFloat(scale), ParseFloat(offset)));
  out += "    </XDFAXIS>\n";
}

void AppendTable(std::string& out, const DefinitionList& list, int row, std::int64_t baseAddress,
                 int uniqueId) {
  const auto field = [&](int column) -> const std::string& { return list.Field(row, column); };
  const TEntryFormat format = list.Format(row);
  const std::optional<std::int32_t> rows = Whole(field(TableDefinition::Rows));
  const std::optional<std::int32_t> columns = Whole(field(TableDefinition::Columns));

  out += "  <XDFTABLE uniqueid=\"" + AddressText(uniqueId) + "\" flags=\"0x0\">\n";
  AppendElement(out, "    ", "title", field(TableDefinition::TableName));
  AppendAxis(out, 'x', field(TableDefinition::XLabel), field(TableDefinition::XScale),
             field(TableDefinition::XOffset), columns);
  AppendAxis(out, 'y', field(TableDefinition::YLabel), field(TableDefinition::YScale),
             field(TableDefinition::YOffset), rows);
  out += "    <XDFAXIS id=\"z\">\n";
  AppendPlace(out, "      ", OffsetOf(field(TableDefinition::TableAddr), baseAddress),
              Whole(field(TableDefinition::EntrySize)), TypeFlagsOf(format), rows, columns, true);
  AppendElement(out, "      ", "units", field(TableDefinition::ZLabel));
  out += "      <outputtype>1</outputtype>\n";
  AppendMath(out, "      ",
             format.Equation.empty() ? LinearText(ParseFloat(field(TableDefinition::ZScale)),
                                                  ParseFloat(field(TableDefinition::ZOffset)))
                                     : format.Equation);
  out += "    </XDFAXIS>\n";

  out += "    <";
  out += kTableFields;
  for (int column = 0; column < TableDefinition::ColumnCount; ++column) {
    AppendKeptAttribute(out, kFieldNames[static_cast<std::size_t>(column)], field(column));
  }
  AppendAttribute(out, "signed", format.Signed ? "1" : "0");
  AppendAttribute(out, "lsbfirst", format.Order == TByteOrder::LittleEndian ? "1" : "0");
  AppendAttribute(out, "float", format.Float ? "1" : "0");
  AppendKeptAttribute(out, "equation", format.Equation);
  out += " />\n  </XDFTABLE>\n";
}

void AppendBitWise(std::string& out, const DefinitionList& list, int row, std::int64_t baseAddress,
                   int& uniqueId) {
  const auto field = [&](int column) -> const std::string& { return list.Field(row, column); };
  out += "  <";
  out += kBitWiseFields;
  for (int column = 0; column < BitWiseDefinition::ColumnCount; ++column) {
    if (!field(column).empty()) {
      AppendKeptAttribute(out, kFieldNames[static_cast<std::size_t>(column)], field(column));
    }
  }
  out += " />\n";

  const std::optional<std::int64_t> offset =
      OffsetOf(field(BitWiseDefinition::TableAddr), baseAddress);
  const std::int32_t bytes = Whole(field(BitWiseDefinition::Bytes)).value_or(1);
  for (int bit = 0; bit < BitWiseDefinition::BitCount; ++bit) {
    const std::string& description = field(BitWiseDefinition::BitColumn(bit));
    if (description.empty()) continue;
    // The element holds the row's bytes, widened to 1, 2 or 4 bytes to reach this bit.
    std::int32_t width = std::max(bytes, bit / 8 + 1);
    width = width <= 1 ? 1 : width <= 2 ? 2 : 4;
    out += "  <XDFFLAG uniqueid=\"" + AddressText(uniqueId++) + "\">\n";
    AppendElement(out, "    ", "title", description);
    AppendPlace(out, "    ", offset, width, 0, std::nullopt, std::nullopt, false);
    AppendElement(out, "    ", "mask", AddressText(std::int64_t{1} << bit));
    out += "    <";
    out += kBitWisePart;
    out += " />\n  </XDFFLAG>\n";
  }
}

}  // namespace

TDefinitionFileRead ReadXdfText(std::string_view text, std::int64_t baseAddress) {
  return XdfReader(text, baseAddress).Read();
}

std::string FormatXdf(const TableDefinitions& lists, std::int64_t baseAddress) {
  std::string out;
  const DefinitionList& ordinary = lists.Ordinary;
  const DefinitionList& bitwise = lists.BitWise;
  out.reserve(1024 + static_cast<std::size_t>(ordinary.DataRowCount()) * 1500 +
              static_cast<std::size_t>(bitwise.DataRowCount()) * 2500);
  out +=
      "<!-- Table definitions written by Quorvel Map Editor -->\n"
      "<XDFFORMAT version=\"1.70\">\n"
      "  <XDFHEADER>\n"
      "    <flags>0x1</flags>\n"
      "    <fileversion>Version 1</fileversion>\n"
      "    <deftitle>Table definitions</deftitle>\n"
      "    <BASEOFFSET offset=\"0\" subtract=\"0\" />\n"
      "    <DEFAULTS datasizeinbits=\"8\" sigdigits=\"4\" outputtype=\"1\" signed=\"0\" "
      "lsbfirst=\"0\" float=\"0\" />\n"
      "  </XDFHEADER>\n";
  int unique_id = 1;
  // Only definitions: the blank row of an empty list is none.
  if (ordinary.InUse()) {
    for (int row = 1; row <= ordinary.DataRowCount(); ++row) {
      AppendTable(out, ordinary, row, baseAddress, unique_id++);
    }
  }
  if (bitwise.InUse()) {
    for (int row = 1; row <= bitwise.DataRowCount(); ++row) {
      AppendBitWise(out, bitwise, row, baseAddress, unique_id);
    }
  }
  out += "</XDFFORMAT>\n";
  return out;
}

std::string WriteXdfFile(const std::filesystem::path& path, const TableDefinitions& lists,
                         std::int64_t baseAddress) {
  const std::string text = FormatXdf(lists, baseAddress);
  const FileOutcome written = WriteFileSafely(
      path.string(), std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
      WriteKind::Whole);
  if (written.result == FileResult::Ok) return {};
  return written.reason.empty() ? std::string("the file could not be written") : written.reason;
}
