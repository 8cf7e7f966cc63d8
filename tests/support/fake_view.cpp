#include "tests/support/fake_view.h"

namespace {
const char* KindName(BoxKind kind) {
  switch (kind) {
    case BoxKind::Error:
      return "error";
    case BoxKind::Question:
      return "question";
    case BoxKind::Information:
      return "information";
  }
  return "?";
}
}  // namespace

void FakeView::See(std::string line) {
  if (recordAll) seen.push_back(std::move(line));
}

void FakeView::SetStatus(const std::string& text) { See("status:" + text); }
void FakeView::SetTitle(const std::string& text) { See("title:" + text); }
void FakeView::SetBar(int position) { See("bar:" + std::to_string(position)); }
void FakeView::EnableCancel(bool enabled) { See(enabled ? "cancel:on" : "cancel:off"); }

BoxAnswer FakeView::ShowBox(const std::string& text, const std::string& caption, BoxKind kind) {
  See(std::string("box:") + KindName(kind) + ":" + caption + ":" + text);
  boxes.push_back(text);
  return kind == BoxKind::Question ? answer : BoxAnswer::Ok;
}

void FakeView::End(int code) {
  See("end:" + std::to_string(code));
  result = code;
}
