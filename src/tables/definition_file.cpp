#include "tables/definition_file.h"

#include "image/safe_write.h"
#include "tables/rom_xml_file.h"
#include "tables/xdf_file.h"

#include <pugixml.hpp>

#include <cstddef>
#include <span>
#include <string_view>

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view SkipSpace(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  return text;
}

// Skips past `end`; false when it never comes.
bool SkipPast(std::string_view& text, std::string_view end) {
  const std::size_t at = text.find(end);
  if (at == std::string_view::npos) return false;
  text.remove_prefix(at + end.size());
  return true;
}

// The name of the first element of an XML text in a byte encoding, found without parsing the
// whole document: the declaration, comments, processing instructions and a document type
// declaration (its internal subset included, never interpreted) are skipped. Nothing when the
// text does not start as XML does.
std::optional<std::string> RootElementName(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  for (;;) {
    text = SkipSpace(text);
    if (text.starts_with("<?")) {
      if (!SkipPast(text, "?>")) return std::nullopt;
    } else if (text.starts_with("<!--")) {
      if (!SkipPast(text, "-->")) return std::nullopt;
    } else if (text.starts_with("<!DOCTYPE")) {
      const std::size_t open = text.find_first_of("[>");
      if (open == std::string_view::npos) return std::nullopt;
      text.remove_prefix(open);
      if (text.front() == '[' && !SkipPast(text, "]")) return std::nullopt;
      if (!SkipPast(text, ">")) return std::nullopt;
    } else {
      break;
    }
  }
  if (!text.starts_with('<')) return std::nullopt;
  text.remove_prefix(1);
  std::size_t length = 0;
  while (length < text.size() && !IsSpace(text[length]) && text[length] != '>' &&
         text[length] != '/')
    ++length;
  if (length == 0) return std::nullopt;
  return std::string(text.substr(0, length));
}

// The root element's name by a full parse, for texts the quick look cannot read (another
// encoding than a byte one, for instance). Nothing when the text is no well-formed XML.
std::optional<std::string> ParsedRootElementName(std::string_view text) {
  pugi::xml_document document;
  const pugi::xml_parse_result parsed =
      document.load_buffer(text.data(), text.size(), pugi::parse_default);
  if (!parsed) return std::nullopt;
  const pugi::xml_node root = document.document_element();
  if (!root) return std::nullopt;
  return std::string(root.name());
}

// The old text form of XDF files starts with its "XDF" header line, not with markup.
bool IsTextXdf(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  return SkipSpace(text).starts_with("XDF");
}

TDefinitionFileRead Refused(std::string problem) {
  TDefinitionFileRead read;
  read.Problem = std::move(problem);
  return read;
}

}  // namespace

TDefinitionFileRead ReadDefinitionFile(const std::filesystem::path& path,
                                       std::int64_t baseAddress) {
  std::string text;
  if (std::string problem = ReadDefinitionText(path, text); !problem.empty()) {
    return Refused(std::move(problem));
  }
  if (IsTextXdf(text)) {
    return Refused(
        "the file is an XDF in the old text form, which is not read: only XDF files in XML "
        "form are");
  }
  std::optional<std::string> root = RootElementName(text);
  if (!root) root = ParsedRootElementName(text);
  if (!root) {
    return Refused("the file is not XML, so neither an XDF nor a RomRaider or ECUFlash definition");
  }
  if (*root == "XDFFORMAT") return ReadXdfText(text, baseAddress);
  if (*root == "rom" || *root == "roms") return ReadRomXmlText(path, text, baseAddress);
  return Refused("the XML document's root element is <" + *root +
                 ">: it is neither an XDF (XDFFORMAT) nor a RomRaider (roms) or ECUFlash "
                 "(rom) definition");
}

std::string ReadDefinitionText(const std::filesystem::path& path, std::string& text) {
  const std::string name = path.string();
  const OpenedFile opened = OpenRegularFile(name, false);
  if (opened.outcome.result != FileResult::Ok) return opened.outcome.reason;
  if (opened.size > kDefinitionFileLimit) return "the file is larger than 64 MiB";
  std::string read(static_cast<std::size_t>(opened.size), '\0');
  const auto bytes = std::as_writable_bytes(std::span(read));
  const ReadCount count = ReadFully(
      opened, name, std::span(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size()));
  if (count.outcome.result != FileResult::Ok) return count.outcome.reason;
  read.resize(count.count);
  text = std::move(read);
  return {};
}
