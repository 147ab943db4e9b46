#include "core/tools/DecisionTree.h"

#include <cstring>

#include "core/content/ContentCursor.h"
#include "core/content/ContentQueries.h"

namespace vantrel {
namespace {

std::u16string decimal(ObjectIndex n) {
  std::u16string s;
  appendDecimal(s, n);
  return s;
}

// Moves to the parent. Every object comes after its parent in the table; a
// damaged file where one would not ends the walk instead of looping.
bool toParentBelow(ContentCursor& cursor) {
  if (cursor.entry().parent >= cursor.index()) return false;
  return cursor.toParent();
}

std::u16string textOrEmpty(const ContentDatabase& db, ObjectIndex object) {
  std::u16string text;
  textOf(db, object, text);
  return text;
}

}  // namespace

void DecisionTreePage::resetDecisionTree(ObjectIndex tree) {
  state_ = DecisionTreeState{};
  state_.tree = tree;
  const uint16_t question = database_->typeNumber(u"question");
  const ObjectIndex first = question == kNoType ? 0 : database_->findGroup(tree, question);
  if (first != 0) {
    state_.step1Root = first;
    state_.step2Root = first + 1;
  }
}

std::u16string DecisionTreePage::decisionTreeTitle() const {
  if (state_.tree == kNoObject) return std::u16string();
  return textOrEmpty(*database_, state_.tree);
}

ObjectIndex DecisionTreePage::stepRootOf(ObjectIndex object) const {
  if (state_.step1Root == kNoObject) return kNoObject;
  ContentCursor cursor;
  if (!cursor.open(*database_, object)) return kNoObject;
  for (;;) {
    if (cursor.index() == state_.step1Root) return state_.step1Root;
    if (cursor.index() == state_.step2Root) return state_.step2Root;
    if (!toParentBelow(cursor)) return kNoObject;
  }
}

std::u16string DecisionTreePage::buildDecisionTreePage(ObjectIndex object) const {
  const ContentDatabase& db = *database_;
  std::u16string page(kDecisionTreeHead);
  if (state_.tree != kNoObject && object == state_.tree) {
    if (state_.step1Root != kNoObject) {
      page.append(u"<A HREF=\"").append(decimal(state_.step1Root)).append(u"\">");
      page.append(kDecisionTreeStep1Title).append(u"</A><br /><br />");
      page.append(u"<A HREF=\"").append(decimal(state_.step2Root)).append(u"\">");
      page.append(kDecisionTreeStep2Title).append(u"</A><br /><br />");
    }
    return page;
  }
  const uint16_t answerType = db.typeNumber(u"answer");
  const uint16_t questionType = db.typeNumber(u"question");
  const ObjectIndex root = stepRootOf(object);
  if (root != kNoObject) {
    const std::u16string_view title = root == state_.step1Root ? kDecisionTreeStep1Title : kDecisionTreeStep2Title;
    page.append(state_.ecText).append(u"<br />");
    page.append(state_.scText).append(u"<br /><br />");
    // The path from the tree down to the object, built from the object up.
    std::u16string chain;
    ObjectIndex chosen = kNoObject;
    ContentCursor node(db, object);
    while (node.valid() && node.index() != state_.tree) {
      const ObjectEntry& e = node.entry();
      if (answerType != kNoType && e.type == answerType) {
        chosen = e.index;
      } else if (questionType != kNoType && e.type == questionType) {
        std::u16string block = u"<A NAME=\"";
        block.append(decimal(e.index)).append(u"\">");
        block.append(textOrEmpty(db, e.index));
        block.append(u"<UL>");
        std::vector<ObjectEntry> answers;
        node.collectChildren(answers, answerType, 0);
        for (const ObjectEntry& a : answers) {
          if (a.index == chosen) {
            block.append(u"<LI><B>").append(textOrEmpty(db, a.index)).append(u"</B></LI>");
          } else {
            block.append(u"<LI><A HREF=\"").append(decimal(a.index)).append(u"\">");
            block.append(textOrEmpty(db, a.index)).append(u"</A></LI>");
          }
        }
        block.append(u"</UL><br />");
        chain.insert(0, block);
      }
      if (e.index == root) {
        std::u16string heading = u"<b>";
        heading.append(title).append(u"</b><br />");
        chain.insert(0, heading);
      }
      if (!toParentBelow(node)) break;
    }
    page.append(chain);
    return page;
  }
  if (isOfType(db, object, u"result")) {
    page.append(state_.ecText).append(u" <A HREF=\"");
    page.append(decimal(state_.step1Root == kNoObject ? 0 : state_.step1Root));
    page.append(u"\">Change</A><br /><br />");
    page.append(state_.scText).append(u" <A HREF=\"");
    page.append(decimal(state_.step2Root == kNoObject ? 0 : state_.step2Root));
    page.append(u"\">Change</A><br /><br />");
    const ObjectIndex version = findRecommendation(state_.ecCode, state_.scCode);
    if (version != kNoObject) page.append(textOrEmpty(db, version));
  }
  return page;
}

DecisionTreeStep DecisionTreePage::followDecisionTreeLink(ObjectIndex tapped) {
  const ContentDatabase& db = *database_;
  ContentCursor cursor;
  if (!cursor.open(db, tapped)) return DecisionTreeStep{tapped, {}};
  if (isOfType(db, tapped, u"answer")) cursor.toFirstChild();
  const ObjectIndex current = cursor.index();
  if (isOfType(db, current, u"question")) return DecisionTreeStep{current, decimal(current)};
  if (!isOfType(db, current, u"link")) return DecisionTreeStep{tapped, {}};
  const ObjectIndex target = cursor.entry().value;
  if (state_.step1Root != kNoObject) {
    ContentCursor walk = cursor;
    for (;;) {
      if (walk.index() == state_.step1Root) {
        state_.ecText = textOrEmpty(db, target);
        state_.ecCode = target;
        if (state_.scCode != 0) break;
        return DecisionTreeStep{state_.step2Root, decimal(state_.step2Root)};
      }
      if (walk.index() == state_.step2Root) {
        state_.scText = textOrEmpty(db, target);
        state_.scCode = target;
        if (state_.ecCode != 0) break;
        return DecisionTreeStep{state_.step1Root, decimal(state_.step1Root)};
      }
      if (!toParentBelow(walk)) break;
    }
  }
  return DecisionTreeStep{target, {}};
}

ObjectIndex DecisionTreePage::findRecommendation(ObjectIndex a, ObjectIndex b) const {
  if (state_.tree == kNoObject) return kNoObject;
  const ContentDatabase& db = *database_;
  const uint16_t linkType = db.typeNumber(u"link");
  if (linkType == kNoType) return kNoObject;
  ContentCursor tree(db, state_.tree);
  if (!tree.valid()) return kNoObject;
  std::vector<ObjectEntry> versions;
  tree.collectChildren(versions, u"version", 0);
  for (const ObjectEntry& v : versions) {
    ContentCursor link(db, v.index);
    if (!link.toChildOfType(linkType)) continue;
    const ObjectIndex first = link.entry().value;
    if (first != a && first != b) continue;
    if (!link.toNextOfType(linkType)) continue;
    const ObjectIndex second = link.entry().value;
    if (second == a || second == b) return v.index;
  }
  return kNoObject;
}

std::vector<uint8_t> encodeAnchorData(std::u16string_view anchor) {
  std::vector<uint8_t> data((anchor.size() + 1) * 2, 0);
  if (!anchor.empty()) std::memcpy(data.data(), anchor.data(), anchor.size() * 2);
  return data;
}

std::u16string decodeAnchorData(const uint8_t* data, size_t length) {
  std::u16string anchor;
  if (!data) return anchor;
  for (size_t i = 0; i + 1 < length; i += 2) {
    char16_t c;
    std::memcpy(&c, data + i, 2);
    if (c == 0) break;
    anchor.push_back(c);
  }
  return anchor;
}

}  // namespace vantrel
