#include "tables/rom_xml_file.h"

#include "app/number_text.h"
#include "image/safe_write.h"
#include "tables/linear_equation.h"
#include "tables/typed_definition.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Bounds on what one chain of definition files may take.
constexpr int kIncludeDepthLimit = 16;                                // files included in files
constexpr std::uintmax_t kChainByteLimit = 2 * kDefinitionFileLimit;  // all files together
constexpr int kFolderScanLimit = 4096;         // folder entries looked at for an include
constexpr std::size_t kPeekBytes = 16 * 1024;  // bytes of a file looked into for its xmlid
constexpr std::int64_t kAddressEnd = std::int64_t{1} << 31;  // first address past int32

// ---------------------------------------------------------------------------------------
// Texts

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  std::transform(lowered.begin(), lowered.end(), lowered.begin(), Lower);
  return lowered;
}

bool SameWithoutCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string_view Trimmed(std::string_view text) {
  const auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

bool IsTrue(std::string_view text) {
  const std::string word = Lowered(Trimmed(text));
  return word == "true" || word == "1" || word == "yes";
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A hexadecimal number with or without "0x", optionally negative; addresses in both formats
// are written so. Nothing for anything else or a value beyond 2^60.
std::optional<std::int64_t> ParseHex(std::string_view text) {
  text = Trimmed(text);
  const bool negative = text.starts_with('-');
  if (negative) text.remove_prefix(1);
  if (text.starts_with("0x") || text.starts_with("0X")) text.remove_prefix(2);
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0 || value >= (std::int64_t{1} << 56)) return std::nullopt;
    value = value * 16 + digit;
  }
  return negative ? -value : value;
}

// The byte count of switch data written as hexadecimal digits, with or without spaces
// between the bytes ("640C", "01 02 03"); nothing when it is no such text.
std::optional<std::int64_t> HexByteCount(std::string_view text) {
  std::int64_t digits = 0;
  for (const char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) continue;
    if (HexDigit(c) < 0) return std::nullopt;
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  return (digits + 1) / 2;
}

std::string HexBytes(std::string_view text) {
  std::string bytes;
  for (const char c : text) {
    if (!std::isspace(static_cast<unsigned char>(c))) bytes += static_cast<char>(std::toupper(c));
  }
  return bytes;
}

// ---------------------------------------------------------------------------------------
// Files of a chain and places in them

struct Source {
  fs::path Path;
  std::string Name;  // the file name, as problems name it
  std::string Text;
  pugi::xml_document Document;
  bool ScalingBasesRead = false;
};

struct Place {
  const Source* File = nullptr;
  std::ptrdiff_t Offset = -1;  // of the element, in the file's text
};

Place PlaceOf(const Source& source, pugi::xml_node node) { return {&source, node.offset_debug()}; }

std::string Where(const Place& place) {
  if (place.File == nullptr) return {};
  std::string where = "file " + place.File->Name;
  if (place.Offset >= 0) {
    const std::string& text = place.File->Text;
    const auto end = text.begin() + std::min<std::ptrdiff_t>(
                                        place.Offset, static_cast<std::ptrdiff_t>(text.size()));
    const auto line = std::count(text.begin(), end, '\n') + 1;
    where += " line " + DecimalText(static_cast<std::int32_t>(line));
  }
  return where;
}

// ---------------------------------------------------------------------------------------
// The definitions of a chain, merged by name

struct Attribute {
  std::string Value;
  Place At;
};
using Attributes = std::map<std::string, Attribute, std::less<>>;

const Attribute* Find(const Attributes& attributes, std::string_view name) {
  const auto found = attributes.find(name);
  return found == attributes.end() ? nullptr : &found->second;
}

std::string_view ValueOf(const Attributes& attributes, std::string_view name) {
  const Attribute* attribute = Find(attributes, name);
  return attribute ? std::string_view(attribute->Value) : std::string_view();
}

struct SwitchState {
  std::string Name;
  std::string Data;  // hexadecimal bytes
};

struct BitName {
  std::string Position;
  std::string Name;
  Place At;
};

// A table or an axis: every attribute any file of the chain gave it, the last word counting.
struct TableNode {
  std::string Name;
  Attributes Attrs;
  Attributes Scaling;  // the attributes of its own <scaling> element
  std::vector<TableNode> Axes;
  std::vector<SwitchState> States;
  std::vector<BitName> Bits;
  std::int64_t Labels = 0;  // <data> children: the labels of a static axis
  Place At;
};

struct ScalingNode {
  Attributes Attrs;
  std::vector<SwitchState> States;  // a bloblist's values
};

void TakeAttributes(Attributes& into, pugi::xml_node element, const Place& at) {
  for (const pugi::xml_attribute attribute : element.attributes()) {
    into[attribute.name()] = {attribute.value(), at};
  }
}

// Completes `node` with what `element` says; `axes` tells whether its child tables are axes
// (they are for a table, not for an axis).
void Complete(TableNode& node, pugi::xml_node element, const Source& source, bool axes) {
  const Place at = PlaceOf(source, element);
  node.At = at;
  TakeAttributes(node.Attrs, element, at);
  if (const Attribute* name = Find(node.Attrs, "name")) node.Name = name->Value;

  bool scaled = false;
  std::vector<SwitchState> states;
  std::vector<BitName> bits;
  std::int64_t labels = 0;
  std::vector<bool> matched(node.Axes.size(), false);
  std::size_t position = 0;
  for (const pugi::xml_node child : element.children()) {
    const std::string_view kind = child.name();
    if (kind == "table" && axes) {
      const std::string_view name = child.attribute("name").value();
      std::size_t index = node.Axes.size();
      for (std::size_t k = 0; k < node.Axes.size(); ++k) {
        if (!matched[k] && node.Axes[k].Name == name) {
          index = k;
          break;
        }
      }
      // An axis named otherwise but given no type completes the axis in its place.
      if (index == node.Axes.size() && !child.attribute("type") && position < matched.size() &&
          !matched[position])
        index = position;
      if (index == node.Axes.size()) {
        node.Axes.emplace_back();
        matched.push_back(false);
      }
      matched[index] = true;
      Complete(node.Axes[index], child, source, false);
      ++position;
    } else if (kind == "scaling" && !scaled) {
      // A table may carry several scalings; the first is the one shown.
      scaled = true;
      TakeAttributes(node.Scaling, child, PlaceOf(source, child));
    } else if (kind == "state") {
      states.push_back({child.attribute("name").value(), child.attribute("data").value()});
    } else if (kind == "bit") {
      bits.push_back({child.attribute("position").value(), child.attribute("name").value(),
                      PlaceOf(source, child)});
    } else if (kind == "data") {
      ++labels;
    }
  }
  if (!states.empty()) node.States = std::move(states);
  if (!bits.empty()) node.Bits = std::move(bits);
  if (labels > 0) node.Labels = labels;
}

struct Model {
  std::vector<TableNode> Tables;
  std::unordered_map<std::string, std::size_t> ByName;
  std::unordered_map<std::string, ScalingNode> Scalings;
  std::optional<Attribute> RomOffset;  // a RomRaider romid's <offset>
};

// ---------------------------------------------------------------------------------------
// Reading a chain

class ChainReader {
 public:
  explicit ChainReader(std::int64_t baseAddress) : base_address_(baseAddress) {}

  TDefinitionFileRead Read(const fs::path& path, std::string_view text);

 private:
  struct Rom {
    Source* File = nullptr;
    pugi::xml_node Element;
  };

  void Note(const Place& place, std::string_view what) {
    if (problem_.empty()) {
      const std::string where = Where(place);
      problem_ = where.empty() ? std::string(what) : where + ": " + std::string(what);
    }
  }

  Source* Load(const fs::path& path, std::string text, const Place& includedAt,
               std::string_view subject);
  Source* LoadFile(const fs::path& path, const Place& includedAt, std::string_view subject);
  std::optional<Rom> FindRom(std::string_view xmlid, Source& from, bool sameFileFirst,
                             const Place& at, std::string_view subject);
  void Follow(std::string_view xmlid, Source& from, bool sameFileFirst, const Place& at, int depth);
  void ReadRom(Source& file, pugi::xml_node rom, int depth);
  void MergeScaling(const Source& file, pugi::xml_node element);
  void MergeTable(const Source& file, pugi::xml_node element);

  void Build(TableDefinitions& lists, int& read);

  std::int64_t base_address_;
  std::vector<std::unique_ptr<Source>> sources_;
  std::vector<std::string> chain_;  // roms being read, each inside the one before
  std::set<std::string> done_;      // roms already merged
  std::uintmax_t bytes_ = 0;
  Model model_;
  std::string problem_;
};

std::string RomKey(const Source& file, pugi::xml_node rom) {
  return file.Path.string() + '#' + DecimalText(static_cast<std::int32_t>(rom.offset_debug()));
}

std::string XmlId(pugi::xml_node rom) {
  return std::string(Trimmed(rom.child("romid").child_value("xmlid")));
}

// The rom a document holds under the xmlid: the root itself for a single "rom", else the
// "rom" of the "roms" whose romid has that xmlid.
pugi::xml_node RomIn(const pugi::xml_document& document, std::string_view xmlid) {
  const pugi::xml_node root = document.document_element();
  if (std::string_view(root.name()) == "rom") return root;
  for (const pugi::xml_node rom : root.children("rom")) {
    if (SameWithoutCase(XmlId(rom), xmlid)) return rom;
  }
  return {};
}

// The canonical form of a path where it exists, for telling files apart.
fs::path Canonical(const fs::path& path) {
  std::error_code error;
  fs::path canonical = fs::weakly_canonical(path, error);
  return error ? path : canonical;
}

Source* ChainReader::Load(const fs::path& path, std::string text, const Place& includedAt,
                          std::string_view subject) {
  auto source = std::make_unique<Source>();
  source->Path = Canonical(path);
  source->Name = path.filename().string();
  source->Text = std::move(text);
  const pugi::xml_parse_result parsed =
      source->Document.load_buffer(source->Text.data(), source->Text.size(), pugi::parse_default);
  Source& file = *sources_.emplace_back(std::move(source));
  if (!parsed) {
    const Place at{&file, static_cast<std::ptrdiff_t>(parsed.offset)};
    const std::string what = std::string("not well-formed XML: ") + parsed.description();
    if (includedAt.File == nullptr) {
      Note(at, what);
    } else {
      Note(includedAt, std::string(subject) + file.Name + ": " + what);
    }
    return nullptr;
  }
  return &file;
}

Source* ChainReader::LoadFile(const fs::path& path, const Place& includedAt,
                              std::string_view subject) {
  const fs::path canonical = Canonical(path);
  for (const auto& source : sources_) {
    if (source->Path == canonical)
      return source->Document.document_element() ? source.get() : nullptr;
  }
  std::string text;
  const std::string name = path.filename().string();
  std::error_code error;
  const std::uintmax_t size = fs::file_size(path, error);
  if (!error && bytes_ + size > kChainByteLimit) {
    Note(includedAt,
         std::string(subject) + name + ": the files of the chain together are larger than 128 MiB");
    return nullptr;
  }
  if (std::string problem = ReadDefinitionText(path, text); !problem.empty()) {
    Note(includedAt, std::string(subject) + name + ": " + problem);
    return nullptr;
  }
  if (bytes_ + text.size() > kChainByteLimit) {
    Note(includedAt,
         std::string(subject) + name + ": the files of the chain together are larger than 128 MiB");
    return nullptr;
  }
  bytes_ += text.size();
  return Load(path, std::move(text), includedAt, subject);
}

// The xmlid in the first bytes of a file, where a definition's romid stands.
std::string PeekXmlId(const fs::path& path) {
  const OpenedFile opened = OpenRegularFile(path.string(), false);
  if (opened.outcome.result != FileResult::Ok) return {};
  std::string head(static_cast<std::size_t>(std::min<std::uint64_t>(opened.size, kPeekBytes)),
                   '\0');
  const ReadCount count = ReadFully(
      opened, path.string(), std::span(reinterpret_cast<std::uint8_t*>(head.data()), head.size()));
  head.resize(count.count);
  const std::size_t open = head.find("<xmlid>");
  if (open == std::string::npos) return {};
  const std::size_t start = open + 7;
  const std::size_t close = head.find("</xmlid>", start);
  if (close == std::string::npos) return {};
  return std::string(Trimmed(std::string_view(head).substr(start, close - start)));
}

// Where a definition named by its xmlid is found: in the same document first when asked
// (RomRaider keeps a base and the roms built on it in one file), then in "<xmlid>.xml"
// beside the file, then in the folder's ".xml" files: by name without regard to case, then
// by the xmlid their first bytes hold.
std::optional<ChainReader::Rom> ChainReader::FindRom(std::string_view xmlid, Source& from,
                                                     bool sameFileFirst, const Place& at,
                                                     std::string_view subject) {
  if (sameFileFirst && std::string_view(from.Document.document_element().name()) == "roms") {
    if (const pugi::xml_node rom = RomIn(from.Document, xmlid)) return Rom{&from, rom};
  }
  const fs::path folder = from.Path.parent_path();
  std::vector<fs::path> candidates;
  std::error_code error;
  const fs::path named = folder / (std::string(xmlid) + ".xml");
  if (fs::is_regular_file(named, error)) candidates.push_back(named);

  std::vector<fs::path> others;
  int looked = 0;
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    if (++looked > kFolderScanLimit) break;
    const fs::path& path = entry->path();
    if (!SameWithoutCase(path.extension().string(), ".xml")) continue;
    if (!entry->is_regular_file(error)) continue;
    if (SameWithoutCase(path.stem().string(), xmlid)) {
      if (path != named) candidates.push_back(path);
    } else {
      others.push_back(path);
    }
  }
  std::sort(others.begin(), others.end());
  const auto try_file = [&](const fs::path& path) -> std::optional<Rom> {
    Source* file = LoadFile(path, at, subject);
    if (file == nullptr) return std::nullopt;
    const pugi::xml_node root = file->Document.document_element();
    const std::string_view kind = root.name();
    if (kind != "rom" && kind != "roms") return std::nullopt;
    if (const pugi::xml_node rom = RomIn(file->Document, xmlid)) return Rom{file, rom};
    return std::nullopt;
  };
  for (const fs::path& path : candidates) {
    if (auto rom = try_file(path)) return rom;
  }
  for (const fs::path& path : others) {
    if (Canonical(path) == from.Path) continue;
    if (!SameWithoutCase(PeekXmlId(path), xmlid)) continue;
    if (auto rom = try_file(path)) return rom;
  }
  return std::nullopt;
}

void ChainReader::Follow(std::string_view xmlid, Source& from, bool sameFileFirst, const Place& at,
                         int depth) {
  const std::string subject = "include \"" + std::string(xmlid) + "\": ";
  if (xmlid.empty()) {
    Note(at, "an include names no definition");
    return;
  }
  if (depth >= kIncludeDepthLimit) {
    Note(at, subject + "includes nested more than " + DecimalText(kIncludeDepthLimit) +
                 " deep; the rest is not read");
    return;
  }
  const std::optional<Rom> rom = FindRom(xmlid, from, sameFileFirst, at, subject);
  if (!rom) {
    Note(at, subject + "no definition with that xmlid was found beside the file");
    return;
  }
  const std::string key = RomKey(*rom->File, rom->Element);
  if (std::find(chain_.begin(), chain_.end(), key) != chain_.end()) {
    Note(at, subject + "the definitions include each other in a loop; it is not followed");
    return;
  }
  if (done_.contains(key)) return;  // already read through another include
  ReadRom(*rom->File, rom->Element, depth + 1);
}

void ChainReader::MergeScaling(const Source& file, pugi::xml_node element) {
  const std::string name = element.attribute("name").value();
  ScalingNode& scaling = model_.Scalings[name];
  TakeAttributes(scaling.Attrs, element, PlaceOf(file, element));
  std::vector<SwitchState> states;
  for (const pugi::xml_node data : element.children("data")) {
    states.push_back({data.attribute("name").value(), data.attribute("value").value()});
  }
  if (!states.empty()) scaling.States = std::move(states);
}

void ChainReader::MergeTable(const Source& file, pugi::xml_node element) {
  const std::string name = element.attribute("name").value();
  const auto found = name.empty() ? model_.ByName.end() : model_.ByName.find(name);
  if (found != model_.ByName.end()) {
    Complete(model_.Tables[found->second], element, file, true);
    return;
  }
  if (!name.empty()) model_.ByName.emplace(name, model_.Tables.size());
  Complete(model_.Tables.emplace_back(), element, file, true);
}

void ChainReader::ReadRom(Source& file, pugi::xml_node rom, int depth) {
  const std::string key = RomKey(file, rom);
  chain_.push_back(key);

  // What this rom builds on is read first, so that its own words count last.
  for (const pugi::xml_node include : rom.children("include")) {
    Follow(Trimmed(include.child_value()), file, false, PlaceOf(file, include), depth);
  }
  if (const pugi::xml_attribute base = rom.attribute("base")) {
    const std::string_view xmlid = Trimmed(base.value());
    if (!xmlid.empty() && !SameWithoutCase(xmlid, XmlId(rom))) {
      Follow(xmlid, file, true, PlaceOf(file, rom), depth);
    }
  }

  const pugi::xml_node root = file.Document.document_element();
  if (!file.ScalingBasesRead && std::string_view(root.name()) == "roms") {
    file.ScalingBasesRead = true;
    for (const pugi::xml_node scaling : root.children("scalingbase")) MergeScaling(file, scaling);
  }
  if (const pugi::xml_node offset = rom.child("romid").child("offset")) {
    model_.RomOffset = Attribute{offset.child_value(), PlaceOf(file, offset)};
  }
  for (const pugi::xml_node child : rom.children()) {
    const std::string_view kind = child.name();
    if (kind == "scaling" || kind == "scalingbase") {
      MergeScaling(file, child);
    } else if (kind == "table") {
      MergeTable(file, child);
    }
  }
  chain_.pop_back();
  done_.insert(key);
}

TDefinitionFileRead ChainReader::Read(const fs::path& path, std::string_view text) {
  TDefinitionFileRead result;
  bytes_ = text.size();
  if (Source* file = Load(path, std::string(text), Place{}, {})) {
    const pugi::xml_node root = file->Document.document_element();
    const std::string_view kind = root.name();
    if (kind == "rom") {
      ReadRom(*file, root, 0);
      Build(result.Lists, result.Read);
    } else if (kind == "roms") {
      // The roms no other rom of the file builds on are the ones the file is for.
      std::set<std::string> bases;
      for (const pugi::xml_node rom : root.children("rom")) {
        bases.insert(Lowered(Trimmed(rom.attribute("base").value())));
      }
      std::vector<pugi::xml_node> leaves;
      for (const pugi::xml_node rom : root.children("rom")) {
        if (!bases.contains(Lowered(XmlId(rom)))) leaves.push_back(rom);
      }
      if (leaves.empty() && root.child("rom")) leaves.push_back(root.child("rom"));
      if (leaves.empty()) {
        Note(PlaceOf(*file, root), "the file defines no rom");
      } else {
        ReadRom(*file, leaves.front(), 0);
        Build(result.Lists, result.Read);
        if (leaves.size() > 1) {
          Note(PlaceOf(*file, leaves.front()),
               "the file defines " + DecimalText(static_cast<std::int32_t>(leaves.size())) +
                   " roms; the first, \"" + XmlId(leaves.front()) + "\", was read");
        }
      }
    } else {
      Note(PlaceOf(*file, root), "the root element is <" + std::string(kind) +
                                     ">, not a RomRaider <roms> or an ECUFlash <rom>");
    }
  }
  if (result.Read == 0) {
    result.Lists = TableDefinitions{};
    if (problem_.empty())
      Note({}, "file " + path.filename().string() +
                   ": no table is given an address (a base definition is read through a file that "
                   "includes it)");
  }
  result.Lists.SelectedList = ListKind::Ordinary;
  result.Lists.Ordinary.SetCurrentRow(1);
  result.Lists.BitWise.SetCurrentRow(1);
  result.Problem = std::move(problem_);
  return result;
}

// ---------------------------------------------------------------------------------------
// From merged tables to definitions

enum class AxisKind { X, Y, Other };

AxisKind KindOfAxis(const TableNode& axis) {
  const std::string type = Lowered(ValueOf(axis.Attrs, "type"));
  if (type.find("x axis") != std::string::npos) return AxisKind::X;
  if (type.find("y axis") != std::string::npos) return AxisKind::Y;
  return AxisKind::Other;
}

bool IsStatic(const TableNode& axis) {
  return Lowered(ValueOf(axis.Attrs, "type")).starts_with("static");
}

const Attribute* AddressAttribute(const TableNode& node) {
  if (const Attribute* address = Find(node.Attrs, "address")) return address;
  return Find(node.Attrs, "storageaddress");
}

// A table's problem, to report; the table (or axis) is skipped.
struct Skip {
  Place At;
  std::string What;
};

// How the entries of a table or axis are stored and scaled.
struct Storage {
  int Bytes = 1;
  TEntryFormat Format;
  double Scale = 1.0;
  double Offset = 0.0;
  std::string Units;
  bool Blobs = false;  // a bloblist: the table is a switch
  std::vector<SwitchState> States;
};

class Builder {
 public:
  Builder(const Model& model, std::int64_t baseAddress, TableDefinitions& lists)
      : model_(model), base_address_(baseAddress), lists_(lists) {}

  // Lists the table and its axes; the first skip met, if any.
  std::optional<Skip> Add(const TableNode& table);
  int Read() const { return read_; }

 private:
  std::optional<Skip> StorageOf(const TableNode& node, Storage& storage) const;
  std::optional<Skip> Locate(const TableNode& node, std::int64_t bytes,
                             std::int32_t& address) const;
  std::optional<Skip> CountOf(const TableNode& table, const TableNode* axis, AxisKind kind,
                              std::int32_t& count) const;
  std::string LabelOf(const TableNode& axis) const;
  std::optional<Skip> AddSwitch(const TableNode& table, const Storage& storage);
  std::optional<Skip> AddBitWise(const TableNode& table, const Storage& storage);
  std::optional<Skip> AddAxis(const TableNode& table, const TableNode& axis);
  void Append(const TTypedDefinition& definition) {
    lists_.Ordinary.Append(DefinitionRow(definition), definition.Format);
    ++read_;
  }

  const Model& model_;
  std::int64_t base_address_;
  TableDefinitions& lists_;
  int read_ = 0;
  std::set<std::tuple<std::int32_t, std::int32_t, int, bool, int, bool>> axes_listed_;
};

Skip SkipAt(const TableNode& node, const Attribute* attribute, std::string what) {
  return {attribute ? attribute->At : node.At, std::move(what)};
}

std::optional<Skip> Builder::StorageOf(const TableNode& node, Storage& storage) const {
  // The named scaling first, then the node's own <scaling> (which may name a base), then
  // the node's own attributes.
  Attributes scaling;
  const auto take_named = [&](const Attribute* name) -> std::optional<Skip> {
    if (name == nullptr || name->Value.empty()) return std::nullopt;
    const auto found = model_.Scalings.find(name->Value);
    if (found == model_.Scalings.end()) {
      return Skip{name->At, "the scaling \"" + name->Value + "\" is not defined"};
    }
    for (const auto& [key, value] : found->second.Attrs) scaling[key] = value;
    if (!found->second.States.empty()) storage.States = found->second.States;
    return std::nullopt;
  };
  if (auto skip = take_named(Find(node.Attrs, "scaling"))) return skip;
  if (!node.Scaling.empty()) {
    const Attribute* base = Find(node.Scaling, "base");
    if (auto skip = take_named(base)) return skip;
    for (const auto& [key, value] : node.Scaling) scaling[key] = value;
  }
  for (const char* key : {"storagetype", "endian"}) {
    if (const Attribute* own = Find(node.Attrs, key)) scaling[key] = *own;
  }

  const Attribute* type = Find(scaling, "storagetype");
  const std::string storage_type = type ? Lowered(Trimmed(type->Value)) : "uint8";
  if (storage_type == "bloblist") {
    storage.Blobs = true;
    return std::nullopt;
  }
  static const std::map<std::string, std::pair<int, bool>, std::less<>> kTypes = {
      {"uint8", {1, false}},  {"int8", {1, true}},  {"uint16", {2, false}}, {"int16", {2, true}},
      {"uint32", {4, false}}, {"int32", {4, true}}, {"float", {4, false}},
  };
  const auto known = kTypes.find(storage_type);
  if (known == kTypes.end()) {
    return SkipAt(node, type, "the storage type \"" + type->Value + "\" is unknown");
  }
  storage.Bytes = known->second.first;
  storage.Format.Signed = known->second.second;
  storage.Format.Float = storage_type == "float";

  const Attribute* endian = Find(scaling, "endian");
  const std::string order = endian ? Lowered(Trimmed(endian->Value)) : "big";
  if (order == "little" || order == "lsb") {
    storage.Format.Order = TByteOrder::LittleEndian;
  } else if (order != "big" && order != "msb" && !order.empty()) {
    return SkipAt(node, endian, "the byte order \"" + endian->Value + "\" is unknown");
  }

  std::string expression(Trimmed(ValueOf(scaling, "toexpr")));
  if (expression.empty()) expression = Trimmed(ValueOf(scaling, "expression"));
  if (!expression.empty()) {
    if (const std::optional<TLinearEquation> linear = LinearEquation(expression, "x")) {
      storage.Scale = linear->Scale;
      storage.Offset = linear->Offset;
    } else {
      storage.Format.Equation = expression;
    }
  }
  storage.Units = Trimmed(ValueOf(scaling, "units"));
  return std::nullopt;
}

std::optional<Skip> Builder::Locate(const TableNode& node, std::int64_t bytes,
                                    std::int32_t& address) const {
  const Attribute* text = AddressAttribute(node);
  const std::optional<std::int64_t> offset = ParseHex(text->Value);
  if (!offset) return Skip{text->At, "the address \"" + text->Value + "\" is not a number"};
  std::int64_t rom_offset = 0;
  if (model_.RomOffset) {
    const std::optional<std::int64_t> value = ParseHex(model_.RomOffset->Value);
    if (!value) {
      return Skip{model_.RomOffset->At,
                  "the rom's offset \"" + model_.RomOffset->Value + "\" is not a number"};
    }
    rom_offset = *value;
  }
  // Each term is below 2^57 in magnitude, so the sum cannot overflow.
  const std::int64_t start = *offset + rom_offset + base_address_;
  if (start < 0) return Skip{text->At, "the address " + text->Value + " lies before 0"};
  if (start >= kAddressEnd || bytes > kAddressEnd - start) {
    return Skip{text->At, "the address " + text->Value + " lies past 2 GiB"};
  }
  address = static_cast<std::int32_t>(start);
  return std::nullopt;
}

// The element count along one axis: the table's own size attribute for that direction,
// else the axis's element count or its labels.
std::optional<Skip> Builder::CountOf(const TableNode& table, const TableNode* axis, AxisKind kind,
                                     std::int32_t& count) const {
  std::vector<const Attribute*> sizes;
  if (axis != nullptr) sizes.push_back(Find(axis->Attrs, "elements"));
  const char* size_name = kind == AxisKind::Y ? "sizey" : "sizex";
  if (axis != nullptr) sizes.push_back(Find(axis->Attrs, size_name));
  sizes.push_back(Find(table.Attrs, size_name));
  for (const Attribute* size : sizes) {
    if (size == nullptr) continue;
    const std::optional<std::int32_t> value = TryParseInteger(Trimmed(size->Value));
    if (!value || *value < 1) return Skip{size->At, "the size \"" + size->Value + "\" is bad"};
    count = *value;
    return std::nullopt;
  }
  if (axis != nullptr && axis->Labels > 0) {
    count = static_cast<std::int32_t>(std::min<std::int64_t>(axis->Labels, INT32_MAX));
    return std::nullopt;
  }
  const Attribute* address = AddressAttribute(table);
  return Skip{address ? address->At : table.At, std::string("no size is given for its ") +
                                                    (kind == AxisKind::Y ? "Y" : "X") + " axis"};
}

// An axis's name with the units of its values, as the grid's axis label.
std::string Builder::LabelOf(const TableNode& axis) const {
  Storage storage;
  const std::string units = StorageOf(axis, storage) ? std::string() : storage.Units;
  if (units.empty() || units == axis.Name) return axis.Name;
  if (axis.Name.empty()) return units;
  return axis.Name + " (" + units + ")";
}

std::optional<Skip> Builder::AddSwitch(const TableNode& table, const Storage& storage) {
  const std::vector<SwitchState>& states = table.States.empty() ? storage.States : table.States;
  std::int64_t bytes = 0;
  for (const SwitchState& state : states) {
    const std::optional<std::int64_t> count = HexByteCount(state.Data);
    if (!count) {
      return SkipAt(table, AddressAttribute(table),
                    "the state \"" + state.Name + "\" holds no hexadecimal bytes");
    }
    bytes = std::max(bytes, *count);
  }
  // Without states to measure, the size says how many bytes the switch takes.
  if (const Attribute* size = Find(table.Attrs, "sizey"); size != nullptr && bytes == 0) {
    const std::optional<std::int32_t> value = TryParseInteger(Trimmed(size->Value));
    if (!value || *value < 1) return Skip{size->At, "the size \"" + size->Value + "\" is bad"};
    bytes = *value;
  }
  if (bytes == 0) return SkipAt(table, AddressAttribute(table), "the switch has no states");
  std::int32_t address = 0;
  if (auto skip = Locate(table, bytes, address)) return skip;

  std::vector<std::string> row(BitWiseDefinition::ColumnCount);
  row[BitWiseDefinition::TableName] = table.Name;
  row[BitWiseDefinition::TableAddr] = HexText(address, 4);
  row[BitWiseDefinition::Bytes] = DecimalText(static_cast<std::int32_t>(bytes));
  for (std::size_t k = 0; k < states.size() && k < BitWiseDefinition::BitCount; ++k) {
    row[static_cast<std::size_t>(BitWiseDefinition::BitColumn(static_cast<int>(k)))] =
        states[k].Name + " = " + HexBytes(states[k].Data);
  }
  lists_.BitWise.Append(std::move(row));
  ++read_;
  return std::nullopt;
}

std::optional<Skip> Builder::AddBitWise(const TableNode& table, const Storage& storage) {
  std::int32_t address = 0;
  if (auto skip = Locate(table, storage.Bytes, address)) return skip;
  std::vector<std::string> row(BitWiseDefinition::ColumnCount);
  row[BitWiseDefinition::TableName] = table.Name;
  row[BitWiseDefinition::TableAddr] = HexText(address, 4);
  row[BitWiseDefinition::Bytes] = DecimalText(storage.Bytes);
  std::optional<Skip> bad_bit;
  for (const BitName& bit : table.Bits) {
    const std::optional<std::int32_t> position = TryParseInteger(Trimmed(bit.Position));
    if (!position || *position < 0 || *position >= 8 * storage.Bytes) {
      if (!bad_bit) {
        bad_bit = Skip{bit.At, "the bit position \"" + bit.Position + "\" is outside its " +
                                   DecimalText(storage.Bytes) + " bytes"};
      }
      continue;
    }
    row[static_cast<std::size_t>(BitWiseDefinition::BitColumn(*position))] = bit.Name;
  }
  lists_.BitWise.Append(std::move(row));
  ++read_;
  return bad_bit;
}

std::optional<Skip> Builder::AddAxis(const TableNode& table, const TableNode& axis) {
  Storage storage;
  if (auto skip = StorageOf(axis, storage)) return skip;
  if (storage.Blobs) return SkipAt(axis, AddressAttribute(axis), "an axis cannot be a switch");
  std::int32_t count = 0;
  const AxisKind kind = KindOfAxis(axis);
  if (auto skip = CountOf(table, &axis, kind, count)) return skip;
  std::int32_t address = 0;
  if (auto skip = Locate(axis, std::int64_t{count} * storage.Bytes, address)) return skip;
  const auto key = std::tuple(address, count, storage.Bytes, storage.Format.Signed,
                              static_cast<int>(storage.Format.Order), storage.Format.Float);
  if (!axes_listed_.insert(key).second) return std::nullopt;
  Append({.TableName = table.Name + " - " + axis.Name + " axis",
          .TableAddress = address,
          .Columns = count,
          .Rows = 1,
          .EntrySize = storage.Bytes,
          .XLabel = axis.Name,
          .ZLabel = storage.Units,
          .ZScale = storage.Scale,
          .ZOffset = storage.Offset,
          .Format = storage.Format});
  return std::nullopt;
}

std::optional<Skip> Builder::Add(const TableNode& table) {
  const Attribute* address = AddressAttribute(table);
  if (address == nullptr) return std::nullopt;  // a template only, given no place
  const Attribute* type_attribute = Find(table.Attrs, "type");
  const std::string type = type_attribute ? Lowered(Trimmed(type_attribute->Value)) : "";
  if (type.empty()) return Skip{address->At, "no type (1D, 2D, 3D or a switch) is defined"};

  Storage storage;
  if (type != "switch") {
    if (auto skip = StorageOf(table, storage)) return skip;
  }
  if (type == "switch" || storage.Blobs) return AddSwitch(table, storage);
  if (type == "bitwiseswitch") return AddBitWise(table, storage);

  TTypedDefinition definition{.TableName = table.Name,
                              .EntrySize = storage.Bytes,
                              .ZLabel = storage.Units,
                              .ZScale = storage.Scale,
                              .ZOffset = storage.Offset,
                              .Format = storage.Format};
  std::vector<const TableNode*> shown_axes;
  if (type == "1d") {
    const Attribute* size = Find(table.Attrs, "elements");
    if (size == nullptr) size = Find(table.Attrs, "sizex");
    if (size != nullptr) {
      const std::optional<std::int32_t> value = TryParseInteger(Trimmed(size->Value));
      if (!value || *value < 1) return Skip{size->At, "the size \"" + size->Value + "\" is bad"};
      definition.Columns = *value;
    }
  } else if (type == "2d") {
    const TableNode* axis = table.Axes.empty() ? nullptr : &table.Axes.front();
    const AxisKind kind = axis ? KindOfAxis(*axis) : AxisKind::Y;
    if (const Attribute* own = Find(table.Attrs, "elements")) {
      const std::optional<std::int32_t> value = TryParseInteger(Trimmed(own->Value));
      if (!value || *value < 1) return Skip{own->At, "the size \"" + own->Value + "\" is bad"};
      definition.Columns = *value;
    } else if (auto skip = CountOf(table, axis, kind == AxisKind::Other ? AxisKind::Y : kind,
                                   definition.Columns)) {
      return skip;
    }
    if (axis != nullptr) {
      definition.XLabel = LabelOf(*axis);
      shown_axes.push_back(axis);
    }
  } else if (type == "3d") {
    const TableNode* x = nullptr;
    const TableNode* y = nullptr;
    for (const TableNode& axis : table.Axes) {
      const AxisKind kind = KindOfAxis(axis);
      if (kind == AxisKind::X && x == nullptr) x = &axis;
      if (kind == AxisKind::Y && y == nullptr) y = &axis;
    }
    // Axes without a type stand in order: X, then Y.
    for (const TableNode& axis : table.Axes) {
      if (&axis == x || &axis == y || KindOfAxis(axis) != AxisKind::Other) continue;
      if (x == nullptr) {
        x = &axis;
      } else if (y == nullptr) {
        y = &axis;
      }
    }
    if (auto skip = CountOf(table, x, AxisKind::X, definition.Columns)) return skip;
    if (auto skip = CountOf(table, y, AxisKind::Y, definition.Rows)) return skip;
    if (x != nullptr) definition.XLabel = LabelOf(*x);
    if (y != nullptr) definition.YLabel = LabelOf(*y);
    // Stored column by column: the grid shows memory order, so rows and columns trade
    // places, and with them the names of the axes.
    if (IsTrue(ValueOf(table.Attrs, "swapxy"))) {
      std::swap(definition.Columns, definition.Rows);
      std::swap(definition.XLabel, definition.YLabel);
    }
    if (x != nullptr) shown_axes.push_back(x);
    if (y != nullptr) shown_axes.push_back(y);
  } else if (type.ends_with("axis") && !type.starts_with("static")) {
    // An axis standing on its own: one row of its values.
    const AxisKind kind = KindOfAxis(table);
    if (auto skip = CountOf(table, &table, kind == AxisKind::Y ? AxisKind::Y : AxisKind::X,
                            definition.Columns)) {
      return skip;
    }
    definition.XLabel = table.Name;
  } else {
    return Skip{type_attribute->At, "the type \"" + type_attribute->Value + "\" is unknown"};
  }

  const std::int64_t cells = std::int64_t{definition.Columns} * definition.Rows;
  if (cells > kAddressEnd) return Skip{address->At, "the table is larger than 2 GiB"};
  if (auto skip = Locate(table, cells * storage.Bytes, definition.TableAddress)) return skip;
  Append(definition);

  std::optional<Skip> first;
  for (const TableNode* axis : shown_axes) {
    if (IsStatic(*axis) || AddressAttribute(*axis) == nullptr) continue;
    auto skip = AddAxis(table, *axis);
    if (skip && !first) {
      skip->What = "axis \"" + axis->Name + "\": " + skip->What;
      first = std::move(skip);
    }
  }
  return first;
}

void ChainReader::Build(TableDefinitions& lists, int& read) {
  Builder builder(model_, base_address_, lists);
  for (const TableNode& table : model_.Tables) {
    if (std::optional<Skip> skip = builder.Add(table)) {
      Note(skip->At, "table \"" + table.Name + "\": " + skip->What);
    }
  }
  read = builder.Read();
}

}  // namespace

TDefinitionFileRead ReadRomXmlText(const fs::path& path, std::string_view text,
                                   std::int64_t baseAddress) {
  if (text.size() > kDefinitionFileLimit) {
    TDefinitionFileRead read;
    read.Problem = "the file is larger than 64 MiB";
    return read;
  }
  return ChainReader(baseAddress).Read(path, text);
}

TDefinitionFileRead ReadRomXmlFile(const fs::path& path, std::int64_t baseAddress) {
  std::string text;
  if (std::string problem = ReadDefinitionText(path, text); !problem.empty()) {
    TDefinitionFileRead read;
    read.Problem = std::move(problem);
    return read;
  }
  return ReadRomXmlText(path, text, baseAddress);
}
