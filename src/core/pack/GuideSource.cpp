#include "core/pack/GuideSource.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <unordered_map>

#include "core/util/TextCodec.h"

namespace vantrel::pack {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

constexpr size_t kMaxErrors = 50;

const std::set<std::string> kTopFields = {"edition", "types", "kinds", "root", "comment"};
const std::set<std::string> kObjectFields = {"type", "text", "value", "link",     "blob",     "image",
                                             "kind", "id",   "name",  "label",    "children", "comment"};
const char* const kValueFields[] = {"text", "value", "link", "blob", "image"};

std::string inQuotes(const std::string& s) {
  // Keep messages on one line and short.
  std::string out = "\"";
  size_t n = 0;
  for (char c : s) {
    if (++n > 60) {
      out += "...";
      break;
    }
    if (c == '\n') out += "\\n";
    else if (c == '"') out += "\\\"";
    else out += c;
  }
  return out + "\"";
}

bool readFile(const fs::path& path, std::vector<uint8_t>& out, std::string& why) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) {
    why = fs::exists(path, ec) ? "not a regular file" : "no such file";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    why = "cannot be opened";
    return false;
  }
  out.assign(std::istreambuf_iterator<char>(in), {});
  if (in.bad()) {
    why = "cannot be read";
    return false;
  }
  return true;
}

// Duplicate keys are legal JSON but almost always a mistake in a guide
// source (the later one would silently win): the parser callback reports
// them with the path of the object holding them.
class KeyChecker {
 public:
  std::vector<std::string> errors;

  bool operator()(int /*depth*/, json::parse_event_t event, json& parsed) {
    switch (event) {
      case json::parse_event_t::object_start:
        element();
        frames_.push_back(Frame{false, 0, {}, {}});
        break;
      case json::parse_event_t::array_start:
        element();
        frames_.push_back(Frame{true, 0, {}, {}});
        break;
      case json::parse_event_t::key: {
        Frame& f = frames_.back();
        f.key = parsed.get<std::string>();
        if (!f.keys.insert(f.key).second && errors.size() < kMaxErrors) {
          std::string where = path(frames_.size() - 1);
          errors.push_back((where.empty() ? std::string("top level") : where) + ": field " + inQuotes(f.key) +
                           " given twice");
        }
        break;
      }
      case json::parse_event_t::value:
        element();
        break;
      case json::parse_event_t::object_end:
      case json::parse_event_t::array_end:
        frames_.pop_back();
        break;
    }
    return true;
  }

  // Path of the value being parsed now (the one a parser failure is about).
  std::string currentPath() const {
    std::string p = path(frames_.size());
    if (!frames_.empty() && frames_.back().array) {
      // The element has not been counted yet: undo the "- 1" of path().
      const size_t open = p.rfind('[');
      if (open != std::string::npos) p = p.substr(0, open) + "[" + std::to_string(frames_.back().count) + "]";
    }
    return p;
  }

 private:
  struct Frame {
    bool array;
    size_t count;  // elements seen (arrays)
    std::string key;
    std::set<std::string> keys;
  };
  void element() {
    if (!frames_.empty() && frames_.back().array) ++frames_.back().count;
  }
  // Path of the value that frame `upto` stands for.
  std::string path(size_t upto) const {
    std::string p;
    for (size_t j = 0; j < upto; ++j) {
      if (frames_[j].array) p += "[" + std::to_string(frames_[j].count - 1) + "]";
      else p += (p.empty() ? "" : ".") + frames_[j].key;
    }
    return p;
  }
  std::vector<Frame> frames_;
};

class Loader {
 public:
  explicit Loader(fs::path dir) : dir_(std::move(dir)) {}

  SourceResult run(const std::vector<uint8_t>& bytes) {
    SourceResult result;
    KeyChecker checker;
    json doc;
    try {
      doc = json::parse(bytes.begin(), bytes.end(), std::ref(checker));
    } catch (const json::parse_error& e) {
      std::string what = e.what();
      if (auto p = what.find("] "); p != std::string::npos) what = what.substr(p + 2);
      result.errors.push_back("bad JSON: " + what);
      return result;
    } catch (const json::exception& e) {
      // Valid syntax the parser still cannot hold, such as a number beyond
      // the range of a double ("1e400"): named by where it stands.
      std::string what = e.what();
      if (auto p = what.find("] "); p != std::string::npos) what = what.substr(p + 2);
      const std::string where = checker.currentPath();
      result.errors.push_back((where.empty() ? std::string("top level") : where) + ": bad JSON: " + what);
      return result;
    }
    for (auto& e : checker.errors) error(e);
    loadTop(doc);
    if (writer_) resolveLinks();
    result.errors = std::move(errors_);
    result.ok = result.errors.empty() && writer_;
    if (result.ok) result.writer = std::move(writer_);
    return result;
  }

 private:
  struct Pending {
    ContentWriter::Handle handle;
    std::string target, where;
  };
  struct Owner {
    ContentWriter::Handle handle;
    std::string where;
  };

  void error(const std::string& message) {
    if (errors_.size() < kMaxErrors) errors_.push_back(message);
    else if (errors_.size() == kMaxErrors) errors_.push_back("(more errors not shown)");
  }

  // "root.children[3] (name "X")": where an object is, with its name or label.
  static std::string where(const json& obj, const std::string& path) {
    std::string w = path;
    if (obj.is_object()) {
      auto n = obj.find("name");
      auto l = obj.find("label");
      if (n != obj.end() && n->is_string()) w += " (name " + inQuotes(n->get<std::string>()) + ")";
      else if (l != obj.end() && l->is_string()) w += " (label " + inQuotes(l->get<std::string>()) + ")";
    }
    return w;
  }

  static const char* typeWord(const json& v) {
    switch (v.type()) {
      case json::value_t::null: return "null";
      case json::value_t::boolean: return "a boolean";
      case json::value_t::string: return "a string";
      case json::value_t::array: return "an array";
      case json::value_t::object: return "an object";
      case json::value_t::number_float: return "a fractional number";
      default: return "a number";
    }
  }

  // An unsigned integer within [0, max]; reports and answers false otherwise.
  bool unsignedField(const json& v, uint64_t max, const std::string& at, const std::string& field, uint64_t& out) {
    if (v.is_number_unsigned()) {
      out = v.get<uint64_t>();
      if (out <= max) return true;
      error(at + ": " + field + " " + std::to_string(out) + " out of range (0 to " + std::to_string(max) + ")");
      return false;
    }
    if (v.is_number_integer()) {
      error(at + ": " + field + " " + std::to_string(v.get<int64_t>()) + " out of range (0 to " +
            std::to_string(max) + ")");
      return false;
    }
    if (v.is_number_float()) {
      error(at + ": " + field + " must be a whole number from 0 to " + std::to_string(max) + ", not " + v.dump());
      return false;
    }
    error(at + ": " + field + " must be a number, not " + typeWord(v));
    return false;
  }

  bool stringField(const json& v, const std::string& at, const std::string& field, std::string& out,
                   bool allowEmpty = false) {
    if (!v.is_string()) {
      error(at + ": " + field + " must be a string, not " + typeWord(v));
      return false;
    }
    out = v.get<std::string>();
    if (out.empty() && !allowEmpty) {
      error(at + ": " + field + " must not be empty");
      return false;
    }
    return true;
  }

  std::vector<std::u16string> nameList(const json& v, const std::string& field) {
    std::vector<std::u16string> out;
    if (!v.is_array()) {
      error(field + ": must be an array of strings, not " + std::string(typeWord(v)));
      return out;
    }
    for (size_t i = 0; i < v.size(); ++i) {
      std::string s;
      if (stringField(v[i], field + "[" + std::to_string(i) + "]", "the entry", s)) out.push_back(fromUtf8(s));
    }
    return out;
  }

  void loadTop(const json& doc) {
    if (!doc.is_object()) {
      error("top level: must be an object with \"root\", not " + std::string(typeWord(doc)));
      return;
    }
    for (auto it = doc.begin(); it != doc.end(); ++it)
      if (!kTopFields.count(it.key())) error("top level: unknown field " + inQuotes(it.key()) + " (known: edition, types, kinds, root)");
    auto root = doc.find("root");
    if (root == doc.end()) {
      error("top level: missing field \"root\"");
      return;
    }
    std::string rootType = "root";
    if (!root->is_object()) {
      error("root: must be an object, not " + std::string(typeWord(*root)));
      return;
    }
    if (auto t = root->find("type"); t != root->end()) stringField(*t, where(*root, "root"), "type", rootType);
    else error(where(*root, "root") + ": missing field \"type\"");
    writer_ = std::make_unique<ContentWriter>(fromUtf8(rootType));

    if (auto e = doc.find("edition"); e != doc.end()) {
      if (!e->is_array() || e->size() != 3) {
        error("edition: must be an array of three numbers [u16, u16, u32]");
      } else {
        uint64_t a = 0, b = 0, c = 0;
        if (unsignedField((*e)[0], 0xFFFF, "edition[0]", "the stamp part", a) &&
            unsignedField((*e)[1], 0xFFFF, "edition[1]", "the stamp part", b) &&
            unsignedField((*e)[2], 0xFFFFFFFFu, "edition[2]", "the stamp part", c))
          writer_->setEdition(uint16_t(a), uint16_t(b), uint32_t(c));
      }
    }
    if (auto t = doc.find("types"); t != doc.end()) writer_->declareTypes(nameList(*t, "types"));
    if (auto k = doc.find("kinds"); k != doc.end()) writer_->declareKinds(nameList(*k, "kinds"));

    // Depth-first in source order, so handles (and assigned ids) follow the
    // order in which objects appear in the file.
    struct Todo {
      const json* node;
      ContentWriter::Handle parent;
      std::string path;
    };
    std::vector<Todo> todo;
    loadObject(*root, 0, "root", todo);
    while (!todo.empty()) {
      Todo t = std::move(todo.back());
      todo.pop_back();
      if (!t.node->is_object()) {
        error(t.path + ": must be an object, not " + std::string(typeWord(*t.node)));
        continue;
      }
      std::string type = "?";
      const std::string at = where(*t.node, t.path);
      if (auto f = t.node->find("type"); f != t.node->end()) stringField(*f, at, "type", type);
      else error(at + ": missing field \"type\"");
      ContentWriter::Handle h = writer_->add(t.parent, fromUtf8(type));
      loadObject(*t.node, h, t.path, todo);
    }
  }

  // Everything but the type (already given to `add`); queues the children.
  template <class Todo>
  void loadObject(const json& obj, ContentWriter::Handle h, const std::string& path, std::vector<Todo>& todo) {
    const std::string at = where(obj, path);
    for (auto it = obj.begin(); it != obj.end(); ++it)
      if (!kObjectFields.count(it.key()))
        error(at + ": unknown field " + inQuotes(it.key()) +
              " (known: type, text, value, link, blob, image, kind, id, name, label, children)");
    int values = 0;
    for (const char* f : kValueFields) values += obj.contains(f);
    if (values > 1) error(at + ": at most one of text, value, link, blob and image may be given");

    if (auto f = obj.find("text"); f != obj.end()) {
      std::string s;
      if (stringField(*f, at, "text", s, true)) {
        writer_->setText(h, fromUtf8(s));
        // References to labels are replaced once the layout is known.
        if (s.find('@') != std::string::npos) pendingTexts_.push_back({h, s, at});
      }
    }
    if (auto f = obj.find("value"); f != obj.end()) {
      uint64_t v = 0;
      if (unsignedField(*f, 0xFFFFFFFFu, at, "value", v)) writer_->setNumber(h, uint32_t(v));
    }
    if (auto f = obj.find("link"); f != obj.end()) {
      std::string s;
      if (stringField(*f, at, "link", s)) {
        pending_.push_back({h, s, at});
        writer_->setLink(h, 0);  // resolved below
      }
    }
    if (auto f = obj.find("blob"); f != obj.end()) {
      std::string s;
      std::vector<uint8_t> bytes;
      if (stringField(*f, at, "blob", s) && readNamed(s, at, "blob file", bytes)) writer_->setBlob(h, std::move(bytes));
    }
    if (auto f = obj.find("image"); f != obj.end()) loadImage(*f, h, path, at);
    if (auto f = obj.find("kind"); f != obj.end()) {
      std::string s;
      if (stringField(*f, at, "kind", s)) {
        writer_->setKind(h, fromUtf8(s));
        kinds_[h] = fromUtf8(s);  // set again once a link or a reference is resolved
      }
    }
    if (auto f = obj.find("id"); f != obj.end()) {
      uint64_t v = 0;
      if (unsignedField(*f, 0xFFFFFFFFu, at, "id", v)) {
        auto [it, fresh] = ids_.emplace(uint32_t(v), at);
        if (!fresh) error(at + ": duplicate id " + std::to_string(v) + " (also at " + it->second + ")");
        writer_->setId(h, uint32_t(v));
      }
    }
    std::string name;
    if (auto f = obj.find("name"); f != obj.end() && stringField(*f, at, "name", name)) {
      claim(name, h, at, "name");
      writer_->setName(h, fromUtf8(name));
    }
    if (auto f = obj.find("label"); f != obj.end()) {
      std::string label;
      if (stringField(*f, at, "label", label) && label != name) claim(label, h, at, "label");
    }
    if (auto f = obj.find("children"); f != obj.end()) {
      if (!f->is_array()) {
        error(at + ": children must be an array, not " + std::string(typeWord(*f)));
      } else {
        // Pushed in reverse so they come off the stack in source order.
        for (size_t i = f->size(); i-- > 0;)
          todo.push_back(Todo{&(*f)[i], h, path + ".children[" + std::to_string(i) + "]"});
      }
    }
  }

  // Names and labels share one namespace: links find either.
  void claim(const std::string& key, ContentWriter::Handle h, const std::string& at, const char* what) {
    auto [it, fresh] = owners_.emplace(key, Owner{h, at});
    if (!fresh && it->second.handle != h)
      error(at + ": duplicate " + std::string(what) + " " + inQuotes(key) + " (already used at " + it->second.where + ")");
  }

  bool readNamed(const std::string& file, const std::string& at, const char* what, std::vector<uint8_t>& out) {
    fs::path p = dir_ / fs::path(file);
    std::string why;
    if (readFile(p, out, why)) return true;
    error(at + ": " + what + " " + inQuotes(file) + ": " + why + " (looked for " + p.string() + ")");
    return false;
  }

  void loadImage(const json& v, ContentWriter::Handle h, const std::string& path, const std::string& at) {
    if (!v.is_array() || v.empty()) {
      error(at + ": image must be a non-empty array of files");
      return;
    }
    if (v.size() > 255) {
      error(at + ": image has " + std::to_string(v.size()) + " variants (at most 255)");
      return;
    }
    std::vector<ImageVariant> variants;
    bool ok = true;
    for (size_t i = 0; i < v.size(); ++i) {
      const std::string vat = path + ".image[" + std::to_string(i) + "]";
      const json& e = v[i];
      std::string file;
      uint64_t w = 0, hgt = 0;
      bool haveW = false, haveH = false;
      if (e.is_string()) {
        file = e.get<std::string>();
      } else if (e.is_object()) {
        for (auto it = e.begin(); it != e.end(); ++it)
          if (it.key() != "file" && it.key() != "width" && it.key() != "height")
            error(vat + ": unknown field " + inQuotes(it.key()) + " (known: file, width, height)"), ok = false;
        auto f = e.find("file");
        if (f == e.end()) {
          error(vat + ": missing field \"file\"");
          ok = false;
          continue;
        }
        if (!stringField(*f, vat, "file", file)) {
          ok = false;
          continue;
        }
        if (auto x = e.find("width"); x != e.end()) {
          if (!unsignedField(*x, 0xFFFF, vat, "width", w)) ok = false;
          haveW = true;
        }
        if (auto y = e.find("height"); y != e.end()) {
          if (!unsignedField(*y, 0xFFFF, vat, "height", hgt)) ok = false;
          haveH = true;
        }
      } else {
        error(vat + ": must be a file name or {\"file\", \"width\", \"height\"}, not " + std::string(typeWord(e)));
        ok = false;
        continue;
      }
      if (file.empty()) {
        error(vat + ": the file name must not be empty");
        ok = false;
        continue;
      }
      ImageVariant var;
      if (!readNamed(file, vat, "image file", var.bytes)) {
        ok = false;
        continue;
      }
      if (var.bytes.empty()) {
        error(vat + ": image file " + inQuotes(file) + " is empty");
        ok = false;
        continue;
      }
      if (!haveW || !haveH) {
        uint32_t iw = 0, ih = 0;
        if (!imageSize(var.bytes, iw, ih)) {
          error(vat + ": cannot read the size of " + inQuotes(file) +
                " (not a PNG, GIF, BMP or JPEG file); give \"width\" and \"height\"");
          ok = false;
          continue;
        }
        if ((!haveW && iw > 0xFFFF) || (!haveH && ih > 0xFFFF)) {
          error(vat + ": " + inQuotes(file) + " is " + std::to_string(iw) + " x " + std::to_string(ih) +
                " pixels, more than 65535");
          ok = false;
          continue;
        }
        if (!haveW) w = iw;
        if (!haveH) hgt = ih;
      }
      var.width = uint16_t(w);
      var.height = uint16_t(hgt);
      variants.push_back(std::move(var));
    }
    if (ok) writer_->setBlob(h, buildImageBlob(variants));
  }

  void resolveLinks() {
    for (const Pending& p : pending_) {
      auto it = owners_.find(p.target);
      if (it == owners_.end()) error(p.where + ": unknown link target " + inQuotes(p.target));
      else writer_->setLink(p.handle, it->second.handle);
      keepKind(p.handle);
    }
    for (const Pending& p : pendingTexts_) {
      std::string text;
      if (resolveReferences(p.target, p.where, text)) writer_->setText(p.handle, fromUtf8(text));
      keepKind(p.handle);
    }
  }

  // The object index of a name or label as decimal text; "" (and an error)
  // when there is none.
  std::string indexText(const std::string& label, const std::string& where) {
    auto it = owners_.find(label);
    if (it == owners_.end()) {
      error(where + ": text: unknown label " + inQuotes(label));
      return {};
    }
    const ObjectIndex index = writer_->indexOf(it->second.handle);
    if (index == ContentWriter::kNoHandle) return {};  // the tree itself is in error
    return std::to_string(index);
  }

  // Replaces "@{label}" anywhere in a text, and "@label" at the start of an
  // href value (up to the closing quote, a "#", a blank or ">"), with the
  // object index of the object that carries that name or label.
  bool resolveReferences(const std::string& in, const std::string& where, std::string& out) {
    out.clear();
    bool ok = true;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    auto hrefValueStartsAt = [&](size_t at) {
      // at is just after an optional quote that follows href=
      size_t j = at;
      if (j > 0 && (in[j - 1] == '"' || in[j - 1] == '\'')) --j;
      if (j == 0 || in[j - 1] != '=') return false;
      --j;
      while (j > 0 && (in[j - 1] == ' ' || in[j - 1] == '\t')) --j;
      if (j < 4) return false;
      const char* word = "href";
      for (int k = 0; k < 4; ++k)
        if (lower(in[j - 4 + k]) != word[k]) return false;
      return true;
    };
    for (size_t i = 0; i < in.size();) {
      if (in[i] != '@') {
        out += in[i++];
        continue;
      }
      if (i + 1 < in.size() && in[i + 1] == '{') {
        const size_t close = in.find('}', i + 2);
        if (close == std::string::npos) {
          error(where + ": text: \"@{\" without a closing \"}\"");
          return false;
        }
        const std::string index = indexText(in.substr(i + 2, close - i - 2), where);
        if (index.empty()) ok = false;
        out += index;
        i = close + 1;
        continue;
      }
      if (hrefValueStartsAt(i)) {
        size_t end = i + 1;
        while (end < in.size() && in[end] != '"' && in[end] != '\'' && in[end] != '#' && in[end] != ' ' &&
               in[end] != '>')
          ++end;
        const std::string index = indexText(in.substr(i + 1, end - i - 1), where);
        if (index.empty()) ok = false;
        out += index;
        i = end;
        continue;
      }
      out += in[i++];
    }
    return ok;
  }

  fs::path dir_;
  std::unique_ptr<ContentWriter> writer_;
  std::vector<std::string> errors_;
  std::vector<Pending> pending_;
  // The "kind" an object names: setting its value again keeps it.
  std::map<ContentWriter::Handle, std::u16string> kinds_;
  void keepKind(ContentWriter::Handle h) {
    if (auto k = kinds_.find(h); k != kinds_.end()) writer_->setKind(h, k->second);
  }
  std::vector<Pending> pendingTexts_;  // texts holding label references (target: the text)
  std::unordered_map<std::string, Owner> owners_;
  std::map<uint32_t, std::string> ids_;
};

uint32_t be32(const std::vector<uint8_t>& b, size_t at) {
  return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) | b[at + 3];
}

}  // namespace

SourceResult loadGuideSource(const std::string& path) {
  std::vector<uint8_t> bytes;
  std::string why;
  if (!readFile(path, bytes, why)) {
    SourceResult result;
    result.errors.push_back(why);
    return result;
  }
  return parseGuideSource(bytes, fs::path(path).parent_path().string());
}

SourceResult parseGuideSource(const std::vector<uint8_t>& bytes, const std::string& dir) {
  return Loader(dir).run(bytes);
}

bool imageSize(const std::vector<uint8_t>& b, uint32_t& width, uint32_t& height) {
  static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (b.size() >= 24 && std::equal(kPng, kPng + 8, b.begin()) && b[12] == 'I' && b[13] == 'H' && b[14] == 'D' &&
      b[15] == 'R') {
    width = be32(b, 16);
    height = be32(b, 20);
    return true;
  }
  if (b.size() >= 10 && b[0] == 'G' && b[1] == 'I' && b[2] == 'F' && b[3] == '8') {
    width = b[6] | (uint32_t(b[7]) << 8);
    height = b[8] | (uint32_t(b[9]) << 8);
    return true;
  }
  if (b.size() >= 26 && b[0] == 'B' && b[1] == 'M') {
    auto le32 = [&](size_t at) {
      return uint32_t(b[at]) | (uint32_t(b[at + 1]) << 8) | (uint32_t(b[at + 2]) << 16) | (uint32_t(b[at + 3]) << 24);
    };
    uint32_t header = le32(14);
    if (header == 12) {
      width = b[18] | (uint32_t(b[19]) << 8);
      height = b[20] | (uint32_t(b[21]) << 8);
    } else {
      width = le32(18);
      int32_t h = int32_t(le32(22));
      height = uint32_t(h < 0 ? -int64_t(h) : h);
    }
    return true;
  }
  if (b.size() >= 4 && b[0] == 0xFF && b[1] == 0xD8) {
    // Walk the JPEG segments up to a start-of-frame marker.
    size_t i = 2;
    while (i + 4 <= b.size()) {
      if (b[i] != 0xFF) return false;
      uint8_t m = b[i + 1];
      if (m == 0xFF) {
        ++i;
        continue;
      }
      if (m == 0xD8 || m == 0x01 || (m >= 0xD0 && m <= 0xD7)) {
        i += 2;
        continue;
      }
      size_t len = (size_t(b[i + 2]) << 8) | b[i + 3];
      if (len < 2) return false;
      const bool sof = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
      if (sof) {
        if (i + 9 > b.size()) return false;
        height = (uint32_t(b[i + 5]) << 8) | b[i + 6];
        width = (uint32_t(b[i + 7]) << 8) | b[i + 8];
        return true;
      }
      i += 2 + len;
    }
  }
  return false;
}

std::vector<uint8_t> buildImageBlob(const std::vector<ImageVariant>& variants) {
  std::vector<uint8_t> out;
  out.push_back(uint8_t(variants.size()));
  uint32_t offset = uint32_t(1 + 11 * variants.size());
  for (const auto& v : variants) {
    const uint8_t d[11] = {0,
                           0,
                           uint8_t(v.width >> 8),
                           uint8_t(v.width),
                           uint8_t(v.height >> 8),
                           uint8_t(v.height),
                           0,
                           uint8_t(offset >> 24),
                           uint8_t(offset >> 16),
                           uint8_t(offset >> 8),
                           uint8_t(offset)};
    out.insert(out.end(), d, d + 11);
    offset += uint32_t(v.bytes.size());
  }
  for (const auto& v : variants) out.insert(out.end(), v.bytes.begin(), v.bytes.end());
  return out;
}

}  // namespace vantrel::pack
