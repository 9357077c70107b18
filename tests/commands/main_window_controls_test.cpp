// The main window's control table holds together: every control can be found
// and built inside its container, and the keyboard reaches each tab stop once.

#include "commands/main_window_controls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>

namespace morvick {
namespace {

bool IsContainer(ControlKind kind) { return kind == ControlKind::GroupBox; }

bool ListsItems(ControlKind kind) {
  return kind == ControlKind::DropDownList || kind == ControlKind::EditableDropDown ||
         kind == ControlKind::RadioGroup;
}

TEST(MainWindowControls, EveryControlSitsInAContainerMadeBeforeIt) {
  // Client sizes of the containers made so far.
  std::map<std::string, ControlRect> containers = {
      {kMainWindowName, {0, 0, kMainWindow.client_width, kMainWindow.client_height}}};
  std::set<std::string> names = {kMainWindowName};
  std::set<std::pair<std::string, int>> tab_orders;
  for (const ControlEntry& control : MainWindowControls()) {
    SCOPED_TRACE(control.name);
    EXPECT_TRUE(names.insert(control.name).second) << "a second control of this name";
    EXPECT_EQ(FindMainWindowControl(control.name), &control);

    const auto container = containers.find(control.container);
    ASSERT_NE(container, containers.end()) << "container " << control.container;
    const ControlRect& area = container->second;
    const ControlRect& rect = control.rect;
    EXPECT_GE(rect.left, 0);
    EXPECT_GE(rect.top, 0);
    EXPECT_GT(rect.width, 0);
    EXPECT_GT(rect.height, 0);
    EXPECT_LE(rect.left + rect.width, area.width);
    EXPECT_LE(rect.top + rect.height, area.height);
    if (IsContainer(control.kind)) containers[control.name] = rect;

    if (control.tab_order != kNoTabOrder) {
      EXPECT_GE(control.tab_order, 0);
      EXPECT_TRUE(tab_orders.insert({control.container, control.tab_order}).second)
          << "tab order " << control.tab_order << " twice in " << control.container;
    }
    EXPECT_FALSE(control.tab_stop && control.tab_order == kNoTabOrder)
        << "a tab stop Tab never reaches";

    EXPECT_EQ(!control.items.empty(), ListsItems(control.kind));
    EXPECT_EQ(!control.columns.empty(), control.kind == ControlKind::ListView);
    int columns_width = 0;
    for (const ColumnEntry& column : control.columns) {
      EXPECT_GT(column.width, 0);
      EXPECT_STRNE(column.title, "");
      columns_width += column.width;
    }
    EXPECT_LE(columns_width, rect.width) << "columns wider than their list";
  }
  EXPECT_EQ(FindMainWindowControl("Button8"), nullptr);
}

TEST(MainWindowControls, TabVisitsEveryTabStopOnceInItsContainersOrder) {
  const std::vector<const ControlEntry*> chain = MainWindowTabChain();
  std::multiset<std::string> visited;
  for (const ControlEntry* control : chain) visited.insert(control->name);
  for (const ControlEntry& control : MainWindowControls()) {
    EXPECT_EQ(visited.count(control.name), control.tab_stop ? 1u : 0u) << control.name;
  }
  // Within one container, Tab follows the tab orders.
  std::map<std::string, int> last_order;
  for (const ControlEntry* control : chain) {
    const auto [last, first] = last_order.try_emplace(control->container, control->tab_order);
    if (!first) {
      EXPECT_GT(control->tab_order, last->second) << control->name;
    }
    last->second = control->tab_order;
  }
}

}  // namespace
}  // namespace morvick
