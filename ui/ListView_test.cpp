#include "ui/ListView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "ui/Form.h"
#include "ui/ListControls.h"
#include "ui/testing/ScriptedPrompter.h"
#include "ui/testing/TestHost.h"

namespace vtl::ui {
namespace {

class Recorder : public ChangeObserver {
  public:
    void OnChanged(UiObject&, const Change& change) override { changes.push_back(change); }
    std::vector<Change> changes;
};

class ListViewTest : public ::testing::Test {
  protected:
    testing::ScriptedPrompter prompts;
    testing::TestHost host{prompts};
    Form form{host, "frmTest"};
    ListView lv{form, "lvServices"};

    // Positions and ids agree at the end of every case.
    void TearDown() override {
        for (int p = 0; p < lv.RowCount(); ++p)
            ASSERT_EQ(lv.PositionOf(lv.RowAt(p)), p);
    }
    std::vector<ListRowId> Add(std::initializer_list<const char*> texts) {
        std::vector<ListRowId> ids;
        for (const char* t : texts)
            ids.push_back(lv.AddRow(t));
        return ids;
    }
    std::vector<std::string> Column(int column) const {
        std::vector<std::string> texts;
        for (ListRowId id : lv.Rows())
            texts.push_back(lv.Text(id, column));
        return texts;
    }
};

TEST_F(ListViewTest, RowsKeepTheirIdsCellsIconsAndTagsWhileOthersComeAndGo) {
    const auto ids = Add({"a", "b", "c"});
    const ListRowId a = ids[0], b = ids[1], c = ids[2];
    const ListRowId first = lv.AddRow("first", 0, 0);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"first", "a", "b", "c"}));
    EXPECT_EQ(lv.PositionOf(c), 3);
    lv.RemoveRow(a);
    EXPECT_FALSE(lv.Contains(a));
    EXPECT_EQ(lv.PositionOf(a), -1);
    EXPECT_EQ(lv.PositionOf(b), 1);
    EXPECT_EQ(lv.RowAt(2), c);
    EXPECT_EQ(lv.RowAt(3), ListRowId{});
    EXPECT_THROW((void)lv.Text(a), std::out_of_range);
    // The freed slot gets a new id: the old one never names the new row.
    const ListRowId r = lv.AddRowCells({"Svc", "Display"}, 2);
    EXPECT_NE(r, a);
    EXPECT_FALSE(lv.Contains(a));
    EXPECT_EQ(lv.PositionOf(first), 0);
    EXPECT_EQ(lv.Text(r), "Svc");
    EXPECT_EQ(lv.SubItem(r, 1), "Display");
    EXPECT_EQ(lv.SubItem(r, 4), "");  // past the last sub-item
    lv.SetSubItem(r, 4, "LocalSystem");
    EXPECT_EQ(lv.SubItem(r, 3) + "|" + lv.SubItem(r, 4), "|LocalSystem");
    EXPECT_EQ(lv.SmallIcon(r), 2);
    lv.SetSmallIcon(r, 4);
    EXPECT_EQ(lv.SmallIcon(r), 4);
    EXPECT_EQ(lv.Tag(r), "");
    lv.SetTag(r, "1234");
    EXPECT_EQ(lv.Tag(r), "1234");
    lv.SetSelected(r, true);
    // A new row in a reused slot starts clean.
    lv.RemoveRow(r);
    const ListRowId n = lv.AddRow("New");
    EXPECT_EQ(lv.Tag(n) + lv.SubItem(n, 4), "");
    EXPECT_FALSE(lv.Selected(n));
}

TEST_F(ListViewTest, SortedListPlacesNewRowsIgnoringCaseAndStably) {
    lv.SetSorted(true);
    const auto ids = Add({"beta", "Alpha", "gamma", "_under", "ALPHA", "Gamma", "9lives"});
    EXPECT_EQ(Column(0), (std::vector<std::string>{"9lives", "_under", "Alpha", "ALPHA", "beta",
                                                   "gamma", "Gamma"}));
    EXPECT_LT(lv.PositionOf(ids[2]), lv.PositionOf(ids[5]));
    // Changing a text does not move its row until the next sort.
    lv.SetText(ids[6], "zz");
    EXPECT_EQ(lv.PositionOf(ids[6]), 0);
    lv.Sort();
    EXPECT_EQ(lv.PositionOf(ids[6]), 6);
}

// The items a view of the list holds when it applies each change it hears.
class ViewMirror : public ChangeObserver {
  public:
    explicit ViewMirror(ListView& list) : list_(list) { list.SetObserver(this); }
    ~ViewMirror() { list_.SetObserver(nullptr); }
    ViewMirror(const ViewMirror&) = delete;
    ViewMirror& operator=(const ViewMirror&) = delete;
    void OnChanged(UiObject&, const Change& c) override {
        if (c.kind == ChangeKind::RowInserted) {
            ASSERT_LE(c.index, static_cast<int>(items.size()));
            items.insert(items.begin() + c.index, c.row);
        } else if (c.kind == ChangeKind::RowRemoved) {
            ASSERT_LT(c.index, static_cast<int>(items.size()));
            ASSERT_EQ(items[c.index], c.row);
            items.erase(items.begin() + c.index);
        } else if (c.kind == ChangeKind::RowsSorted) {  // by the rows' positions
            std::sort(items.begin(), items.end(), [this](ListRowId a, ListRowId b) {
                return list_.PositionOf(a) < list_.PositionOf(b);
            });
        } else if (c.kind == ChangeKind::RowsFiltered) {
            items = list_.ShownRows();
        } else if (c.kind == ChangeKind::RowsCleared) {
            items.clear();
        } else if (c.row) {  // text, icon, selection, focus: only of a shown row
            EXPECT_GE(list_.ShownPositionOf(c.row), 0);
        }
    }
    std::vector<ListRowId> items;

  private:
    ListView& list_;
};

TEST_F(ListViewTest, ClicksSelectAsTheWindowsListDoes) {
    lv.SetMultiSelect(true);
    const std::vector<ListRowId> rows = Add({"a", "b", "c", "d", "e"});
    std::vector<ListRowId> clicked;
    lv.onItemClick = [&](ListRowId r) { clicked.push_back(r); };

    EXPECT_TRUE(lv.ClickRow(rows[1]));
    EXPECT_TRUE(lv.ClickRow(rows[3], kCtrlMask));
    EXPECT_EQ(lv.SelectedRows(), (std::vector<ListRowId>{rows[1], rows[3]}));
    EXPECT_EQ(lv.FocusedRow(), rows[3]);
    EXPECT_TRUE(lv.ClickRow(rows[1], kCtrlMask));  // toggles off
    EXPECT_EQ(lv.SelectedRows(), (std::vector<ListRowId>{rows[3]}));
    EXPECT_EQ(lv.FocusedRow(), rows[1]);            // a Ctrl-click moves the focus too
    EXPECT_TRUE(lv.ClickRow(rows[4], kShiftMask));  // range from the focused row
    EXPECT_EQ(lv.SelectedRows(), (std::vector<ListRowId>{rows[1], rows[2], rows[3], rows[4]}));
    EXPECT_EQ(lv.FocusedRow(), rows[1]);
    EXPECT_TRUE(lv.ClickRow(rows[0], kShiftMask));
    EXPECT_EQ(lv.SelectedRows(), (std::vector<ListRowId>{rows[0], rows[1]}));
    EXPECT_TRUE(lv.ClickRow(rows[2]));  // a plain click selects it alone
    EXPECT_EQ(lv.SelectedRows(), (std::vector<ListRowId>{rows[2]}));
    EXPECT_EQ(clicked,
              (std::vector<ListRowId>{rows[1], rows[3], rows[1], rows[4], rows[0], rows[2]}));
    EXPECT_FALSE(lv.ClickRow(ListRowId{}));
    lv.SetEnabled(false);
    EXPECT_FALSE(lv.ClickRow(rows[0]));
    EXPECT_EQ(clicked.size(), 6u);
}

}  // namespace
}  // namespace vtl::ui
