#pragma once
// The post-exposure-prophylaxis decision tree. The tree is ordinary content:
//
//   table (text = page title) with a "table type" child reading "decision tree"
//     question  step 1 root (the exposure code chain)
//     question  step 2 root, the next index (the HIV status code chain)
//       answer    its first child is the next "question" or a "link"
//         link    value = a "result" object (text = the code as shown)
//     version   first "link" and the next "link" name one EC and one HIV SC
//               result (in either order); text = the recommendation
//
// `DecisionTreePage` is the page source for every object of such a tree. It
// keeps the codes reached so far between pages; a tapped link goes through
// `followDecisionTreeLink`, which records a code when the walk reaches a
// result and says which page comes next and which question to scroll to.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/content/ContentDatabase.h"
#include "core/page/PageSource.h"

namespace vantrel {

inline constexpr ObjectIndex kNoObject = 0xFFFFFFFFu;

inline constexpr std::u16string_view kDecisionTreeHead =
    u"<HTML><HEAD></HEAD><BODY><FONT FACE='PPC_Font2'>Please pecify the following EC and HIV SC codes to see the "
    u"Post-Exposure Prophylaxis(PEP) Recommendation<br/><br/>";
inline constexpr std::u16string_view kDecisionTreeStep1Title = u"Step 1: Determine the Exposure Code(EC)";
inline constexpr std::u16string_view kDecisionTreeStep2Title = u"Step 2: Determien the HIV Status Code(HIV SC)";
inline constexpr std::u16string_view kEcUndetermined = u"EC Undetermined";
inline constexpr std::u16string_view kScUndetermined = u"SC Undetermined";

struct DecisionTreeState {
  ObjectIndex tree = kNoObject;       // the tree last opened
  ObjectIndex step1Root = kNoObject;  // its first "question" child
  ObjectIndex step2Root = kNoObject;  // the object after it
  std::u16string ecText = std::u16string(kEcUndetermined);
  std::u16string scText = std::u16string(kScUndetermined);
  ObjectIndex ecCode = 0;  // the EC result reached; 0: undetermined
  ObjectIndex scCode = 0;  // the HIV SC result reached; 0: undetermined
};

// Where a tapped link leads: the object to show and the question to scroll
// to (its index in decimal; empty for none).
struct DecisionTreeStep {
  ObjectIndex object = 0;
  std::u16string anchor;
};

class DecisionTreePage : public PageSource {
 public:
  explicit DecisionTreePage(const ContentDatabase& database) : database_(&database) {}

  // Opens a tree: its step roots, both codes undetermined. A tree without a
  // "question" child has no step roots.
  void resetDecisionTree(ObjectIndex tree);
  // The text of the tree last opened (empty before any).
  std::u16string decisionTreeTitle() const;
  std::u16string buildDecisionTreePage(ObjectIndex object) const;
  std::u16string pageText(ObjectIndex object) override { return buildDecisionTreePage(object); }
  DecisionTreeStep followDecisionTreeLink(ObjectIndex tapped);
  // The "version" child of the tree whose two links name a and b (in either
  // order); kNoObject when none does.
  ObjectIndex findRecommendation(ObjectIndex ecCode, ObjectIndex scCode) const;

  // The step root (1 or 2) whose chain holds object, or kNoObject.
  ObjectIndex stepRootOf(ObjectIndex object) const;

  const DecisionTreeState& state() const { return state_; }

 private:
  const ContentDatabase* database_;
  DecisionTreeState state_;
};

// Page data that brings a decision-tree page back scrolled to its question:
// the anchor's UTF-16 code units and a terminating zero, two bytes each in
// the machine's order. Reading stops at the terminator or the end of the data.
std::vector<uint8_t> encodeAnchorData(std::u16string_view anchor);
std::u16string decodeAnchorData(const uint8_t* data, size_t length);

}  // namespace vantrel
