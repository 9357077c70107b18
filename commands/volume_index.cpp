#include "commands/volume_index.h"

#include "common/json_text.h"
#include "platform/real_path.h"

#include <chrono>
#include <cstdio>
#include <random>

namespace morvick {
namespace {

constexpr int kIndexFormat = 1;

const char* TypeName(IndexItem::Type type) {
  switch (type) {
    case IndexItem::Type::File: return "file";
    case IndexItem::Type::Folder: return "folder";
    case IndexItem::Type::Link: return "link";
  }
  return "file";
}

Json ItemJson(const IndexItem& item) {
  Json json{{"path", item.path}, {"type", TypeName(item.type)}};
  if (item.type == IndexItem::Type::File) {
    json["size"] = item.size;
    json["mtime"] = UtcTimeText(item.mtime_ns);
    json["mtimeNs"] = item.mtime_ns;
    json["sha256"] = item.sha256;
  } else if (item.type == IndexItem::Type::Link) {
    json["target"] = item.target;
  }
  return json;
}

Json VolumeJson(const VolumeIndex& index) {
  Json items = Json::array();
  for (const IndexItem& item : index.items) items.push_back(ItemJson(item));
  return Json{{"set", index.set_id},
              {"volume", index.volume},
              {"volumes", index.volume_count},
              {"folder", index.folder},
              {"items", std::move(items)}};
}

// A path below a volume's root: names joined by "/", none empty, "." or "..",
// so that nothing an index says can lead out of the volume.
bool IsPathBelowRoot(std::string_view path) {
  while (true) {
    const std::size_t slash = path.find('/');
    if (!platform::IsPlainName(path.substr(0, slash))) return false;
    if (slash == std::string_view::npos) return true;
    path.remove_prefix(slash + 1);
  }
}

void AppendTsvField(std::string& out, std::string_view text) {
  // Tabs and line breaks in a name would split the line: written as JSON escapes them.
  const std::string quoted = JsonString(text);
  out.append(quoted, 1, quoted.size() - 2);
}

}  // namespace

std::string NewSetId() {
  std::random_device device;
  const auto now =
      static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  std::seed_seq seed{device(),
                     device(),
                     device(),
                     device(),
                     static_cast<unsigned>(now),
                     static_cast<unsigned>(now >> 32)};
  std::mt19937_64 generator(seed);
  char text[33];
  std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(generator()),
                static_cast<unsigned long long>(generator()));
  return text;
}

std::string UtcTimeText(std::int64_t mtime_ns) {
  using namespace std::chrono;
  const sys_time<nanoseconds> time{nanoseconds(mtime_ns)};
  const sys_days day = floor<days>(time);
  const year_month_day date{day};
  const hh_mm_ss clock{floor<nanoseconds>(time - day)};
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%09lldZ",
                static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                static_cast<unsigned>(date.day()), static_cast<int>(clock.hours().count()),
                static_cast<int>(clock.minutes().count()),
                static_cast<int>(clock.seconds().count()),
                static_cast<long long>(clock.subseconds().count()));
  return text;
}

std::string IndexText(const VolumeIndex& index) {
  Json json{{"program", "morvick"}, {"format", kIndexFormat}};
  const Json volume = VolumeJson(index);
  for (const auto& [key, value] : volume.items()) json[key] = value;
  return DumpJson(json, 1) + "\n";
}

std::optional<VolumeIndex> ParseIndex(std::string_view text, std::string& error) {
  try {
    const Json json = ParseJson(text);
    if (!json.is_object() || json.value("program", "") != "morvick") {
      error = "not an index of morvick";
      return std::nullopt;
    }
    if (json.value("format", 0) != kIndexFormat) {
      error = "an index of an unknown format";
      return std::nullopt;
    }
    VolumeIndex index;
    index.set_id = json.at("set").get<std::string>();
    index.volume = json.at("volume").get<std::int32_t>();
    index.volume_count = json.at("volumes").get<std::int32_t>();
    index.folder = json.at("folder").get<std::string>();
    for (const Json& entry : json.at("items")) {
      IndexItem item;
      item.path = entry.at("path").get<std::string>();
      if (!IsPathBelowRoot(item.path)) {
        error = "a path that leads out of the volume: " + item.path;
        return std::nullopt;
      }
      const std::string type = entry.at("type").get<std::string>();
      if (type == "file") {
        item.type = IndexItem::Type::File;
        item.size = entry.at("size").get<std::int64_t>();
        item.mtime_ns = entry.at("mtimeNs").get<std::int64_t>();
        item.sha256 = entry.at("sha256").get<std::string>();
      } else if (type == "folder") {
        item.type = IndexItem::Type::Folder;
      } else if (type == "link") {
        item.type = IndexItem::Type::Link;
        item.target = entry.at("target").get<std::string>();
      } else {
        error = "an item of unknown type: " + item.path;
        return std::nullopt;
      }
      index.items.push_back(std::move(item));
    }
    return index;
  } catch (const JsonSyntaxError& syntax) {
    error = std::string("not JSON: ") + syntax.what();
  } catch (const Json::exception& field) {
    error = std::string("a field is missing or wrong: ") + field.what();
  }
  return std::nullopt;
}

std::string CatalogueJson(const std::vector<VolumeIndex>& volumes) {
  Json list = Json::array();
  for (const VolumeIndex& volume : volumes) list.push_back(VolumeJson(volume));
  Json json{{"program", "morvick"},
            {"format", kIndexFormat},
            {"set", volumes.empty() ? std::string() : volumes.front().set_id},
            {"volumes", std::move(list)}};
  return DumpJson(json, 1) + "\n";
}

std::string CatalogueTsv(const std::vector<VolumeIndex>& volumes) {
  std::string out = "volume\tfolder\tpath\ttype\tsize\tmtime\tsha256\ttarget\n";
  for (const VolumeIndex& volume : volumes) {
    for (const IndexItem& item : volume.items) {
      out += std::to_string(volume.volume) + '\t';
      AppendTsvField(out, volume.folder);
      out += '\t';
      AppendTsvField(out, item.path);
      out += '\t';
      out += TypeName(item.type);
      out += '\t';
      if (item.type == IndexItem::Type::File) {
        out += std::to_string(item.size) + '\t' + UtcTimeText(item.mtime_ns) + '\t' + item.sha256 +
               '\t';
      } else {
        out += "\t\t\t";
        if (item.type == IndexItem::Type::Link) AppendTsvField(out, item.target);
      }
      out += '\n';
    }
  }
  return out;
}

}  // namespace morvick
