// Dialog template 102 as data: identifiers and kinds, the fixed frames and the Set-button column,
// the tab order, the layout rules inside the groups and the hidden cloud row.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/Captions.h"
#include "app/KestrivalResources.h"
#include "app/resource.h"
#include "platform/kernel.h"

namespace {

using platform::DialogItemTemplate;
using platform::WindowKind;

const platform::DialogTemplate& Template() {
  return KestrivalDialogTemplate();
}

const DialogItemTemplate* Item(int id) {
  for (const auto& item : Template().items) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

bool IsVisible(const DialogItemTemplate& item) {
  return (item.style & WS_VISIBLE) != 0;
}

// A combo box's template height is its dropped-down height; closed it shows one line.
constexpr int kComboFieldHeight = 12;

struct Box {
  int x0, y0, x1, y1;
};

Box ShownBox(const DialogItemTemplate& item) {
  int cy = item.kind == WindowKind::ComboBox ? kComboFieldHeight : item.cy;
  return Box{item.x, item.y, item.x + item.cx, item.y + cy};
}

bool Overlap(const Box& a, const Box& b) {
  return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

bool Inside(const Box& inner, const Box& outer) {
  return inner.x0 >= outer.x0 && inner.x1 <= outer.x1 && inner.y0 >= outer.y0 &&
         inner.y1 <= outer.y1;
}

std::string Name(const DialogItemTemplate& item) {
  return std::string(platform::WindowKindName(item.kind)) + " " + std::to_string(item.id);
}

TEST(DialogTemplate, DialogAttributes) {
  const auto& t = Template();
  EXPECT_EQ(platform::AcpToUtf8(t.caption), "参数设置");
  EXPECT_EQ(t.cx, 466);
  EXPECT_EQ(t.cy, 378);
  EXPECT_STREQ(t.fontFace, "MS Shell Dlg");
  EXPECT_EQ(t.pointSize, 9);
  EXPECT_EQ(t.style, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_VISIBLE |
                         DS_CENTER | DS_SHELLFONT | DS_ABSALIGN);
  EXPECT_EQ(t.exStyle, WS_EX_APPWINDOW);
  EXPECT_EQ(t.style & WS_MAXIMIZEBOX, 0u) << "the window can be minimised but not maximised";
  EXPECT_EQ(KestrivalResources().dialogs.at(IDD_KESTRIVAL_DIALOG), &t);
}

struct KindRow {
  int id;
  WindowKind kind;
};

// Every numbered control of the dialog and its kind.
const KindRow kKinds[] = {
    {1000, WindowKind::Button},    {1004, WindowKind::ListBox},   {1006, WindowKind::Button},
    {1007, WindowKind::IpAddress}, {1008, WindowKind::IpAddress}, {1009, WindowKind::IpAddress},
    {1010, WindowKind::IpAddress}, {1011, WindowKind::IpAddress}, {1012, WindowKind::ComboBox},
    {1013, WindowKind::Edit},      {1014, WindowKind::Button},    {1015, WindowKind::ComboBox},
    {1016, WindowKind::ComboBox},  {1017, WindowKind::ComboBox},  {1018, WindowKind::Button},
    {1019, WindowKind::Button},    {1020, WindowKind::ComboBox},  {1021, WindowKind::Button},
    {1022, WindowKind::ComboBox},  {1024, WindowKind::Button},    {1025, WindowKind::ComboBox},
    {1026, WindowKind::ComboBox},  {1027, WindowKind::Button},    {1028, WindowKind::Button},
    {1029, WindowKind::ComboBox},  {1030, WindowKind::Button},    {1031, WindowKind::ComboBox},
    {1032, WindowKind::Button},    {1033, WindowKind::ComboBox},  {1034, WindowKind::ComboBox},
    {1035, WindowKind::Button},    {1036, WindowKind::ComboBox},  {1037, WindowKind::ComboBox},
    {1038, WindowKind::Button},    {1039, WindowKind::Edit},      {1040, WindowKind::Edit},
    {1041, WindowKind::ComboBox},  {1042, WindowKind::Edit},      {1043, WindowKind::Edit},
    {1044, WindowKind::Edit},      {1045, WindowKind::Edit},      {1046, WindowKind::Edit},
    {1047, WindowKind::Edit},      {1048, WindowKind::Edit},      {1049, WindowKind::Edit},
    {1050, WindowKind::Edit},      {1051, WindowKind::IpAddress}, {1052, WindowKind::Button},
    {1053, WindowKind::Button},    {1054, WindowKind::ComboBox},  {1055, WindowKind::ComboBox},
    {1056, WindowKind::Edit},      {1057, WindowKind::ComboBox},  {1058, WindowKind::ComboBox},
    {1059, WindowKind::Edit},      {1060, WindowKind::Button},    {1061, WindowKind::ComboBox},
    {1062, WindowKind::ComboBox},  {1063, WindowKind::ComboBox},  {1064, WindowKind::Static},
    {1065, WindowKind::Button},    {1066, WindowKind::Button},    {1067, WindowKind::ComboBox},
    {1068, WindowKind::ComboBox},  {1069, WindowKind::Static},    {1070, WindowKind::Edit},
    {1071, WindowKind::Edit},      {1072, WindowKind::ComboBox},  {1073, WindowKind::ComboBox},
    {1074, WindowKind::Static},    {1075, WindowKind::Static},    {1076, WindowKind::Static},
    {1077, WindowKind::Static},    {1078, WindowKind::Static},    {1079, WindowKind::Static},
    {1080, WindowKind::Static},    {1081, WindowKind::GroupBox},  {1082, WindowKind::GroupBox},
    {1083, WindowKind::Static},    {1084, WindowKind::Static},    {1085, WindowKind::Static},
    {1086, WindowKind::Static},    {1087, WindowKind::Static},    {1088, WindowKind::Static},
    {1089, WindowKind::Static},    {1090, WindowKind::Static},    {1091, WindowKind::Static},
    {1092, WindowKind::GroupBox},  {1093, WindowKind::Static},    {1094, WindowKind::Static},
    {1095, WindowKind::Static},    {1096, WindowKind::Static},    {1097, WindowKind::GroupBox},
    {1098, WindowKind::Static},    {1099, WindowKind::Static},    {1100, WindowKind::Static},
    {1101, WindowKind::GroupBox},  {1102, WindowKind::Static},    {1103, WindowKind::Static},
    {1104, WindowKind::Static},    {1105, WindowKind::Static},    {1106, WindowKind::GroupBox},
    {1107, WindowKind::Static},    {1108, WindowKind::Static},    {1109, WindowKind::GroupBox},
    {1110, WindowKind::Static},    {1111, WindowKind::Static},    {1112, WindowKind::Static},
    {1113, WindowKind::Static},    {1114, WindowKind::Static},    {1115, WindowKind::Static},
    {1116, WindowKind::Static},    {1117, WindowKind::Static},
};

TEST(DialogTemplate, HoldsEveryControlOnceWithItsKind) {
  std::set<int> expected;
  for (const KindRow& row : kKinds) {
    expected.insert(row.id);
    const DialogItemTemplate* item = Item(row.id);
    ASSERT_NE(item, nullptr) << row.id;
    EXPECT_EQ(item->kind, row.kind) << row.id;
  }
  std::multiset<int> numbered;
  int unnumbered = 0;
  for (const auto& item : Template().items) {
    if (item.id == IDC_STATIC) {
      ++unnumbered;
      EXPECT_EQ(item.kind, WindowKind::Static);
    } else {
      numbered.insert(item.id);
    }
  }
  EXPECT_EQ(numbered, std::multiset<int>(expected.begin(), expected.end()))
      << "no identifier twice, none missing, none extra";
  EXPECT_EQ(unnumbered, 8);
}

TEST(DialogTemplate, StylesThatMatterByKind) {
  const DWORD list = CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP;
  const DWORD edit = WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP;
  const DWORD deviceList =
      LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL | WS_TABSTOP;
  int rightAligned = 0, labels = 0;
  for (const auto& item : Template().items) {
    SCOPED_TRACE(Name(item));
    EXPECT_EQ(item.style & WS_DISABLED, 0u) << "the template disables nothing";
    switch (item.kind) {
      case WindowKind::Button:
        EXPECT_EQ(item.style & (WS_TABSTOP | 0xF), WS_TABSTOP);
        break;
      case WindowKind::ComboBox:
        EXPECT_EQ(item.style & list, list);
        break;
      case WindowKind::Edit:
        EXPECT_EQ(item.style & edit, edit);
        break;
      case WindowKind::IpAddress:
        EXPECT_NE(item.style & WS_TABSTOP, 0u);
        break;
      case WindowKind::ListBox:
        EXPECT_EQ(item.style & deviceList, deviceList);
        break;
      case WindowKind::GroupBox:
        EXPECT_EQ(item.style & 0xF, BS_GROUPBOX);
        EXPECT_EQ(item.style & WS_TABSTOP, 0u);
        break;
      case WindowKind::Static:
        ++labels;
        rightAligned += (item.style & 0x3) == SS_RIGHT;
        EXPECT_EQ(item.style & WS_TABSTOP, 0u);
        break;
      default:
        ADD_FAILURE() << "unexpected kind";
    }
  }
  EXPECT_GT(rightAligned * 2, labels) << "most labels are right-aligned";
}

struct RectRow {
  int id;
  int x, y, cx, cy;
};

// The rectangles that the layout fixes: the left panel, the group frames, the Set buttons.
const RectRow kFixedRects[] = {
    {1000, 7, 12, 62, 14},     {1014, 69, 12, 79, 14},    {1004, 7, 41, 142, 320},
    {1081, 154, 5, 298, 74},   {1082, 154, 80, 298, 92},  {1092, 154, 172, 298, 40},
    {1097, 154, 212, 298, 33}, {1101, 154, 245, 298, 36}, {1106, 154, 279, 298, 19},
    {1109, 154, 296, 298, 65}, {1006, 409, 64, 41, 14},   {1027, 409, 84, 41, 14},
    {1019, 409, 98, 41, 14},   {1021, 409, 113, 41, 14},  {1052, 409, 155, 41, 14},
    {1028, 409, 179, 41, 14},  {1030, 409, 195, 41, 14},  {1065, 409, 215, 41, 14},
    {1066, 409, 230, 41, 14},  {1024, 409, 263, 41, 14},  {1035, 409, 283, 41, 14},
    {1060, 409, 318, 41, 14},  {1053, 242, 181, 41, 14},  {1032, 242, 195, 41, 14},
};

TEST(DialogTemplate, FixedRectangles) {
  for (const RectRow& row : kFixedRects) {
    const DialogItemTemplate* item = Item(row.id);
    ASSERT_NE(item, nullptr) << row.id;
    EXPECT_EQ((std::vector<int>{item->x, item->y, item->cx, item->cy}),
              (std::vector<int>{row.x, row.y, row.cx, row.cy}))
        << row.id;
  }
}

TEST(DialogTemplate, TabOrderOfTheVisibleInteractiveControls) {
  const std::vector<int> expected = {
      1000, 1004, 1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1015, 1016, 1017, 1019,
      1020, 1021, 1022, 1024, 1027, 1028, 1030, 1032, 1035, 1039, 1044, 1048, 1049, 1050,
      1014, 1025, 1034, 1036, 1041, 1052, 1053, 1026, 1029, 1033, 1054, 1055, 1056, 1057,
      1058, 1059, 1060, 1061, 1062, 1063, 1065, 1066, 1067, 1068, 1070, 1071, 1072, 1073};
  std::vector<int> order;
  for (const auto& item : Template().items) {
    if (IsVisible(item) && (item.style & WS_TABSTOP)) order.push_back(item.id);
  }
  EXPECT_EQ(order, expected);
}

TEST(DialogTemplate, VisibleControlsDoNotOverlap) {
  const auto& items = Template().items;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!IsVisible(items[i]) || items[i].kind == WindowKind::GroupBox) continue;
    for (std::size_t j = i + 1; j < items.size(); ++j) {
      if (!IsVisible(items[j]) || items[j].kind == WindowKind::GroupBox) continue;
      EXPECT_FALSE(Overlap(ShownBox(items[i]), ShownBox(items[j])))
          << Name(items[i]) << " and " << Name(items[j]);
    }
  }
}

TEST(DialogTemplate, ReadableSizes) {
  for (const auto& item : Template().items) {
    SCOPED_TRACE(Name(item));
    switch (item.kind) {
      case WindowKind::ComboBox:
        EXPECT_GE(item.cy, 100) << "dropped-down height";
        break;
      case WindowKind::Edit:
      case WindowKind::IpAddress:
        EXPECT_GE(item.cy, 12);
        EXPECT_LE(item.cy, 14);
        break;
      case WindowKind::Static:
        EXPECT_GE(item.cy, 8);
        EXPECT_LE(item.cy, 10);
        break;
      default:
        break;
    }
    EXPECT_GE(item.cx, 20);
    EXPECT_GE(item.x, 0);
    EXPECT_LE(item.x + item.cx, Template().cx);
    EXPECT_LE(ShownBox(item).y1, Template().cy);
  }
}

// Each visible control and the group whose frame holds it (0: the left panel).
struct GroupRow {
  int group;
  std::vector<int> members;
};

const GroupRow kGroups[] = {
    {0, {1000, 1014, 1004}},
    {1081,
     {1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1039, 1015, 1064, 1074, 1076, 1078, 1080,
      1069, 1075, 1077, 1079}},
    {1082, {1016, 1017, 1020, 1022, 1036, 1034, 1041, 1068, 1067, 1027, 1019,
            1021, 1052, 1083, 1084, 1085, 1086, 1087, 1088, 1089, 1090, 1091}},
    {1092, {1025, 1029, 1033, 1026, 1053, 1028, 1032, 1030, 1093, 1094, 1095, 1096}},
    {1097, {1063, 1049, 1050, 1065, 1066, 1098, 1099, 1100}},
    {1101, {1073, 1070, 1071, 1072, 1024, 1102, 1103, 1104, 1105}},
    {1106, {1044, 1048, 1035, 1107, 1108}},
    {1109,
     {1055, 1058, 1054, 1061, 1056, 1059, 1057, 1062, 1060, 1110, 1111, 1112, 1113, 1114, 1115,
      1116, 1117}},
};

TEST(DialogTemplate, EveryVisibleControlInsideItsGroup) {
  std::set<int> placed;
  for (const GroupRow& row : kGroups) {
    Box frame{0, 0, 154, Template().cy};  // the left panel, left of the right column
    if (row.group != 0) frame = ShownBox(*Item(row.group));
    for (int id : row.members) {
      const DialogItemTemplate* item = Item(id);
      ASSERT_NE(item, nullptr) << id;
      EXPECT_TRUE(Inside(ShownBox(*item), frame)) << id << " in " << row.group;
      placed.insert(id);
    }
  }
  for (const auto& item : Template().items) {
    if (IsVisible(item) && item.kind != WindowKind::GroupBox) {
      EXPECT_EQ(placed.count(item.id), 1u) << Name(item) << " belongs to no group";
    }
  }
}

// Label -> the value it names.
const std::pair<int, int> kLabels[] = {
    {1064, 1007}, {1074, 1008}, {1076, 1009}, {1078, 1010}, {1080, 1011}, {1069, 1012},
    {1075, 1013}, {1077, 1039}, {1079, 1015}, {1083, 1016}, {1084, 1017}, {1085, 1020},
    {1086, 1022}, {1087, 1036}, {1088, 1034}, {1089, 1041}, {1090, 1068}, {1091, 1067},
    {1093, 1025}, {1094, 1029}, {1095, 1033}, {1096, 1026}, {1098, 1063}, {1099, 1049},
    {1100, 1050}, {1102, 1073}, {1103, 1070}, {1104, 1072}, {1105, 1071}, {1107, 1044},
    {1108, 1048}, {1110, 1055}, {1112, 1058}, {1111, 1054}, {1115, 1061}, {1117, 1056},
    {1114, 1059}, {1113, 1057}, {1116, 1062},
};

TEST(DialogTemplate, EachLabelStandsDirectlyLeftOfItsValue) {
  for (auto [labelId, valueId] : kLabels) {
    Box label = ShownBox(*Item(labelId));
    Box value = ShownBox(*Item(valueId));
    EXPECT_LE(label.x1, value.x0) << labelId;
    EXPECT_LE(value.x0 - label.x1, 4) << labelId << ": no gap wider than 4 units";
    // Vertically within the value's line.
    EXPECT_GE(label.y0, value.y0) << labelId;
    EXPECT_LE(label.y1, value.y1) << labelId;
    // Nothing interactive stands between them.
    for (const auto& other : Template().items) {
      if (!IsVisible(other) || other.id == labelId || other.id == valueId ||
          other.kind == WindowKind::GroupBox)
        continue;
      EXPECT_FALSE(Overlap(ShownBox(other), Box{label.x1, value.y0, value.x0, value.y1}))
          << Name(other) << " between " << labelId << " and " << valueId;
    }
  }
}

TEST(DialogTemplate, HiddenCloudRow) {
  const int hidden[] = {1031, 1037, 1040, 1042, 1043, 1045, 1046, 1047, 1051, 1018, 1038};
  std::set<int> hiddenIds(std::begin(hidden), std::end(hidden));
  for (const auto& item : Template().items) {
    const bool inRow = hiddenIds.count(item.id) == 1 || item.id == IDC_STATIC;
    EXPECT_EQ(IsVisible(item), !inRow) << Name(item);
    if (!inRow) continue;
    EXPECT_GE(item.y, 360) << Name(item);
    EXPECT_LE(ShownBox(item).y1, 374) << Name(item);
  }
  auto rect = [](int id) {
    const DialogItemTemplate* i = Item(id);
    return std::vector<int>{i->x, i->y, i->cx, i->cy};
  };
  EXPECT_EQ(rect(1040), rect(1042));
  EXPECT_EQ(rect(1040), rect(1051));
  for (int id : {1045, 1046, 1047}) EXPECT_EQ(rect(1043), rect(id)) << id;
  EXPECT_TRUE(Overlap(ShownBox(*Item(1031)), ShownBox(*Item(1037))));

  // Four labels just left of each shared rectangle, with these captions in this order.
  const std::vector<std::string> before1 = {"服务商", "服务器地址", "产品名称", "产品密钥"};
  const std::vector<std::string> before2 = {"设备名称", "设备密钥", "发布主题", "订阅"};
  std::vector<std::string> got1, got2;
  for (const auto& item : Template().items) {
    if (item.id != IDC_STATIC) continue;
    Box label = ShownBox(item);
    for (auto [anchor, got] : {std::pair{1040, &got1}, std::pair{1043, &got2}}) {
      Box target = ShownBox(*Item(anchor));
      if (label.x1 <= target.x0 && target.x0 - label.x1 <= 4 && label.y0 >= target.y0 &&
          label.y1 <= target.y1)
        got->push_back(platform::AcpToUtf8(item.caption));
    }
  }
  EXPECT_EQ(got1, before1);
  EXPECT_EQ(got2, before2);
}

// The template captions, read back from GBK.
const std::pair<int, const char*> kTemplateCaptions[] = {
    {1000, "搜索设备"},
    {1014, "获取当前参数"},
    {1081, "网络参数"},
    {1064, "IP地址"},
    {1074, "子网掩码"},
    {1076, "网关"},
    {1078, "域名服务器1"},
    {1080, "域名服务器2"},
    {1069, "网络模式"},
    {1075, "服务器地址"},
    {1077, "服务器端口"},
    {1079, "HTTP服务器语言"},
    {1082, "格式参数设置"},
    {1083, "输出格式选择"},
    {1084, "感应卡号输入格式"},
    {1085, "HID格式参数\u3000回车"},
    {1086, "换行"},
    {1087, "串口参数 \u3000波特率"},
    {1088, "数据位"},
    {1089, "停止位"},
    {1090, "奇偶校验"},
    {1091, "二维码串口输出格式"},
    {1092, "外部参数设置"},
    {1093, "重启设置"},
    {1094, "工作模式"},
    {1095, "喇叭"},
    {1096, "开灯"},
    {1097, "条码二维码设置"},
    {1098, "前后缀输入格式"},
    {1099, "前缀"},
    {1100, "后缀"},
    {1101, "卡前后缀格式"},
    {1102, "前后缀输入格式"},
    {1103, "前缀"},
    {1104, "串口输出格式"},
    {1105, "后缀"},
    {1106, "WG时序定义"},
    {1107, "低脉冲(us)"},
    {1108, "高脉冲(us)"},
    {1109, "二维码参数设置"},
    {1110, "卡号格式"},
    {1112, "使用次数"},
    {1111, "是否加密"},
    {1115, "网络协议"},
    {1117, "NTP地址"},
    {1114, "备用地址"},
    {1113, "工作模式"},
    {1116, "从多少位开始输出"},
};

TEST(DialogTemplate, TemplateCaptions) {
  for (auto [id, utf8] : kTemplateCaptions) {
    EXPECT_EQ(platform::AcpToUtf8(Item(id)->caption), utf8) << id;
  }
  for (const CaptionEntry& c : DialogCaptions()) {
    if (c.text == Text::Set) {
      EXPECT_EQ(platform::AcpToUtf8(Item(c.controlId)->caption), "设置");
    }
  }
  for (const auto& item : Template().items) {
    if (item.kind == WindowKind::ComboBox || item.kind == WindowKind::Edit ||
        item.kind == WindowKind::IpAddress || item.kind == WindowKind::ListBox) {
      EXPECT_STREQ(item.caption, "") << Name(item);
    }
  }
}

TEST(DialogTemplate, CaptionTableNamesEveryButtonGroupAndNumberedLabel) {
  std::set<int> captioned;
  for (const CaptionEntry& c : DialogCaptions()) {
    EXPECT_TRUE(captioned.insert(c.controlId).second) << c.controlId << " twice";
  }
  for (const auto& item : Template().items) {
    const bool needsCaption = item.id != IDC_STATIC && (item.kind == WindowKind::Button ||
                                                        item.kind == WindowKind::GroupBox ||
                                                        item.kind == WindowKind::Static);
    EXPECT_EQ(captioned.count(item.id), needsCaption ? 1u : 0u) << Name(item);
  }
}

}  // namespace
