#include "element_kinds.h"

#include <vector>

#include "highlighter/markup.h"

namespace {

std::string_view kind_name(const ElementRow& row) { return row.class_name.empty() ? row.tag : row.class_name; }

std::string_view text_of(const Tag& tag) { return {tag.text, tag.length}; }

}  // namespace

std::string kinds_of(std::string_view html) {
  std::string kinds;
  std::vector<const ElementRow*> open;
  for (std::size_t at = 0; at < html.size();) {
    if (html[at] != '<') {
      kinds += html[at++];
      continue;
    }
    const std::string_view rest = html.substr(at);
    const ElementRow* opened = nullptr;
    std::size_t length = 0;
    for (const ElementRow& row : kElements) {
      for (const bool styled : {false, true}) {
        const std::string_view tag = text_of(open_tags(styled)[index_of(row.element)]);
        if (rest.substr(0, tag.size()) == tag) {
          opened = &row;
          length = tag.size();
        }
      }
    }
    if (opened != nullptr) {
      open.push_back(opened);
      ((kinds += '<') += kind_name(*opened)) += '>';
      at += length;
      continue;
    }
    if (!open.empty()) {
      const std::string_view close = text_of(close_tag(open.back()->element));
      if (rest.substr(0, close.size()) == close) {
        ((kinds += "</") += kind_name(*open.back())) += '>';
        open.pop_back();
        at += close.size();
        continue;
      }
    }
    kinds += html[at++];
  }
  return kinds;
}

std::vector<std::string> element_kinds() {
  std::vector<std::string> kinds;
  for (const ElementRow& row : kElements) {
    if (!row.class_name.empty()) kinds.emplace_back(row.class_name);
  }
  return kinds;
}

std::string markup_of(std::string_view kinds, bool styled) {
  std::string html;
  for (std::size_t at = 0; at < kinds.size();) {
    if (kinds[at] != '<') {
      html += kinds[at++];
      continue;
    }
    bool written = false;
    for (const ElementRow& row : kElements) {
      const std::string name(kind_name(row));
      for (const bool closing : {false, true}) {
        const std::string tag = (closing ? "</" : "<") + name + ">";
        if (kinds.substr(at, tag.size()) != tag) continue;
        html += text_of(closing ? close_tag(row.element) : open_tags(styled)[index_of(row.element)]);
        at += tag.size();
        written = true;
      }
      if (written) break;
    }
    if (!written) html += kinds[at++];
  }
  return html;
}
