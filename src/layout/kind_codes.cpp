#include "layout/kind_codes.h"

namespace phonedir::layout::kind {

int32_t code(runtime::ControlKind k) {
  using runtime::ControlKind;
  switch (k) {
    case ControlKind::VarString:
      return VarString;
    case ControlKind::String:
      return String;
    case ControlKind::Image:
      return Image;
    case ControlKind::Region:
      return Region;
    case ControlKind::Progress:
      return Progress;
    case ControlKind::Toolbar:
      return Toolbar;
    case ControlKind::Entry:
      return Entry;
    case ControlKind::Button:
      return Button;
    case ControlKind::Prompt:
      return Prompt;
    case ControlKind::GroupBox:
      return GroupBox;
    case ControlKind::List:
      return List;
    case ControlKind::MenuItem:
      return MenuItem;
  }
  return None;
}

}  // namespace phonedir::layout::kind
