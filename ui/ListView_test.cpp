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

TEST_F(ListViewTest, SortKeyAndOrderReSortTheRows) {
    const ListRowId a = lv.AddRowCells({"a", "", "Stopped"}, 0);
    const ListRowId b = lv.AddRowCells({"b", "", "Running"}, 0);
    const ListRowId c = lv.AddRowCells({"c", "", "running"}, 0);
    const ListRowId d = lv.AddRowCells({"d", "", "Paused"}, 0);
    lv.SetSorted(true);  // by column 0
    EXPECT_EQ(Column(0), (std::vector<std::string>{"a", "b", "c", "d"}));
    lv.SetSortKey(2);
    EXPECT_EQ(Column(2), (std::vector<std::string>{"Paused", "Running", "running", "Stopped"}));
    // Equal texts keep their order: b before c, and again after a second sort.
    lv.SetSortKey(2);
    EXPECT_EQ(lv.Rows(), (std::vector<ListRowId>{d, b, c, a}));
    lv.SetSortOrder(SortOrder::Descending);
    EXPECT_EQ(Column(2), (std::vector<std::string>{"Stopped", "Running", "running", "Paused"}));
    // A new row joins in descending order too.
    lv.AddRowCells({"e", "", "Start Pending"}, 0);
    EXPECT_EQ(Column(2), (std::vector<std::string>{"Stopped", "Start Pending", "Running", "running",
                                                   "Paused"}));
}

TEST_F(ListViewTest, KeyIndexFollowsInsertsRemovalsAndTextChanges) {
    for (bool indexed : {false, true}) {
        SCOPED_TRACE(indexed ? "indexed" : "scan");
        lv.Clear();
        lv.SetKeyIndex(indexed);
        const ListRowId a = lv.AddRow("Alerter");
        const ListRowId b = lv.AddRow("Browser");
        EXPECT_EQ(lv.FindRow("Browser"), b);
        EXPECT_EQ(lv.FindRow("browser"), ListRowId{});  // whole text, case matters
        EXPECT_EQ(lv.FindRow("Brow"), ListRowId{});
        lv.SetText(b, "Beeper");
        EXPECT_EQ(lv.FindRow("Browser"), ListRowId{});
        EXPECT_EQ(lv.FindRow("Beeper"), b);
        lv.SetSubItem(b, 1, "Alerter");  // sub-items are not keys
        EXPECT_EQ(lv.FindRow("Alerter"), a);
        lv.RemoveRow(a);
        EXPECT_EQ(lv.FindRow("Alerter"), ListRowId{});
        const auto dup = Add({"Dup", "Dup"});
        const ListRowId found = lv.FindRow("Dup");
        EXPECT_TRUE(found == dup[0] || found == dup[1]);
        lv.RemoveRow(found);
        EXPECT_EQ(lv.FindRow("Dup"), found == dup[0] ? dup[1] : dup[0]);
    }
    // Switching the index on later indexes the rows already there.
    lv.SetKeyIndex(false);
    const ListRowId late = lv.AddRow("Late");
    lv.SetKeyIndex(true);
    EXPECT_EQ(lv.FindRow("Late"), late);
    lv.Clear();
    EXPECT_EQ(lv.FindRow("Late"), ListRowId{});
}

TEST_F(ListViewTest, SelectedItemIsTheFocusedRowWhenSelectedElseTheTopmostSelected) {
    const auto ids = Add({"a", "b", "c"});
    const ListRowId a = ids[0], b = ids[1], c = ids[2];
    lv.SetSelected(a, true);
    lv.SetSelected(b, true);  // a single-selection list keeps one row
    EXPECT_EQ(lv.SelectedRows(), (std::vector<ListRowId>{b}));
    EXPECT_EQ(lv.SelectedCount(), 1);
    EXPECT_EQ(lv.SelectedItem(), b);
    lv.ClearSelection();
    lv.SetMultiSelect(true);
    EXPECT_EQ(lv.SelectedItem(), ListRowId{});
    lv.SetSelected(c, true);
    lv.SetSelected(b, true);
    EXPECT_EQ(lv.SelectedCount(), 2);
    EXPECT_EQ(lv.SelectedItem(), b);  // no focus: topmost selected
    lv.SetFocusedRow(c);
    EXPECT_EQ(lv.SelectedItem(), c);
    lv.SetFocusedRow(a);  // focused but not selected
    EXPECT_EQ(lv.SelectedItem(), b);
    EXPECT_EQ(lv.SelectedRows(), (std::vector<ListRowId>{b, c}));
    // Removing rows keeps the count and focus right.
    lv.RemoveRow(b);
    EXPECT_EQ(lv.SelectedCount(), 1);
    lv.RemoveRow(a);
    EXPECT_EQ(lv.FocusedRow(), ListRowId{});
    EXPECT_EQ(lv.SelectedItem(), c);
    lv.ClearSelection();
    EXPECT_EQ(lv.SelectedCount(), 0);
    EXPECT_EQ(lv.SelectedItem(), ListRowId{});
}

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

TEST_F(ListViewTest, MouseAndColumnEventsReachTheHandlers) {
    const ListRowId r = lv.AddRow("a");
    lv.AddColumn("SrvName", "Service Name", 1000);
    std::vector<std::string> seen;
    lv.onColumnClick = [&](int c) { seen.push_back("column " + std::to_string(c)); };
    lv.onMouseDown = [&](const ListMouseEvent& e) {
        seen.push_back("down " + std::to_string(static_cast<int>(e.button)) +
                       (e.row == r ? " on row" : " on nothing"));
    };
    lv.onMouseUp = [&](const ListMouseEvent& e) {
        seen.push_back("up " + std::to_string(e.x) + "," + std::to_string(e.y));
    };
    lv.onDblClick = [&] { seen.push_back("dblclick"); };
    EXPECT_TRUE(lv.ClickColumn(0));
    EXPECT_FALSE(lv.ClickColumn(1));
    EXPECT_TRUE(lv.MouseDown({MouseButton::Right, 0, 10, 20, r}));
    EXPECT_TRUE(lv.MouseDown({MouseButton::Left, 0, 10, 900, {}}));
    EXPECT_TRUE(lv.DblClick());
    EXPECT_TRUE(lv.MouseUp({MouseButton::Left, 0, 15, 30, r}));
    EXPECT_EQ(seen, (std::vector<std::string>{"column 0", "down 2 on row", "down 1 on nothing",
                                              "dblclick", "up 15,30"}));
    EXPECT_FALSE(lv.Selected(r));  // a press alone selects nothing
}

TEST_F(ListViewTest, ObserverHearsFineGrainedChanges) {
    Recorder rec;
    lv.SetObserver(&rec);
    lv.SetSorted(true);
    rec.changes.clear();
    const ListRowId b = lv.AddRow("b");
    const ListRowId a = lv.AddRow("a");
    lv.SetSubItem(a, 2, "Running");
    lv.SetSubItem(a, 2, "Running");  // no change, no notice
    lv.SetSmallIcon(b, 3);
    lv.SetSelected(a, true);
    lv.SetFocusedRow(a);
    lv.RemoveRow(b);
    lv.SetSortKey(1);
    lv.Clear();
    lv.ApplyViewSelection(lv.AddRow("c"), true);  // from the view: no echo
    std::vector<std::pair<ChangeKind, int>> got;
    for (const Change& c : rec.changes)
        got.emplace_back(c.kind, c.index);
    const std::vector<std::pair<ChangeKind, int>> want = {
        {ChangeKind::RowInserted, 0}, {ChangeKind::RowInserted, 0},   {ChangeKind::RowText, -1},
        {ChangeKind::RowIcon, -1},    {ChangeKind::RowSelection, -1}, {ChangeKind::RowFocus, -1},
        {ChangeKind::RowRemoved, 1},  {ChangeKind::RowsSorted, -1},   {ChangeKind::RowsCleared, -1},
        {ChangeKind::RowInserted, 0},
    };
    EXPECT_EQ(got, want);
    EXPECT_EQ(rec.changes[2].row, a);
    EXPECT_EQ(rec.changes[2].column, 2);
    EXPECT_EQ(rec.changes[6].row, b);
    EXPECT_EQ(lv.SelectedCount(), 1);
    lv.SetObserver(nullptr);
}

TEST_F(ListViewTest, ThousandsOfRowsStayOrderedAndFindable) {
    lv.SetSorted(true);
    lv.SetKeyIndex(true);
    std::vector<std::string> names;
    for (int i = 0; i < 3000; ++i)
        names.push_back("Svc" + std::to_string(i * 7919 % 3001));
    std::mt19937 rng(42);
    std::shuffle(names.begin(), names.end(), rng);
    for (const std::string& n : names)
        lv.AddRow(n);
    ASSERT_EQ(lv.RowCount(), 3000);
    const std::vector<std::string> texts = Column(0);
    EXPECT_TRUE(std::is_sorted(texts.begin(), texts.end(), [](const auto& x, const auto& y) {
        return CompareListText(x, y) < 0;
    }));
    // Remove every third row by name, as a refresh pass would, then check the rest.
    for (std::size_t i = 0; i < names.size(); i += 3)
        lv.RemoveRow(lv.FindRow(names[i]));
    for (std::size_t i = 0; i < names.size(); ++i) {
        const ListRowId r = lv.FindRow(names[i]);
        ASSERT_EQ(static_cast<bool>(r), i % 3 != 0) << names[i];
        if (r) {
            ASSERT_EQ(lv.Text(lv.RowAt(lv.PositionOf(r))), names[i]);
        }
    }
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

TEST_F(ListViewTest, AFilterShowsTheMatchingRowsAndTheViewHearsOnlyOfThem) {
    lv.SetMultiSelect(true);
    lv.SetKeyIndex(true);
    ViewMirror view(lv);
    const std::vector<std::string> words = {"Spooler",     "SPOOL", "alerter", "\303\234ber",
                                            "\303\274ber", "x,y",   ""};
    std::mt19937 rng(7);
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
    auto word = [&] { return words[pick(words.size())]; };
    for (int step = 0; step < 3000; ++step) {
        const ListRowId row = lv.RowAt(static_cast<int>(pick(lv.RowCount() + 1)));
        const std::size_t action = pick(9);
        if (action < 2) lv.AddRowCells({word() + std::to_string(step), word()});
        if (action == 2 && row) lv.RemoveRow(row);
        if (action == 3 && row) lv.SetText(row, static_cast<int>(pick(3)), word());
        if (action == 3 && row && lv.Contains(row)) lv.SetSmallIcon(row, static_cast<int>(pick(4)));
        if (action == 4)
            lv.SetFilter(pick(3) == 0 ? std::string() : words[pick(words.size() - 1)].substr(1, 3),
                         {0, 1});
        if (action == 5) {
            lv.SetSortOrder(pick(2) == 0 ? SortOrder::Ascending : SortOrder::Descending);
            lv.SetSorted(pick(4) != 0);
        }
        if (action == 6 && row) lv.ClickRow(row, pick(2) == 0 ? kCtrlMask : kShiftMask);
        if (action == 7) lv.SelectAll();
        if (action == 8 && pick(50) == 0) lv.Clear();
        ASSERT_EQ(view.items, lv.ShownRows()) << "step " << step;
        int shown = 0;
        const std::u32string needle = FoldForSearch(lv.FilterText());
        for (const ListRowId id : lv.Rows()) {
            const bool matches =
                ContainsFolded(lv.Text(id, 0), needle) || ContainsFolded(lv.Text(id, 1), needle);
            ASSERT_EQ(lv.Shown(id), matches) << "step " << step;
            ASSERT_EQ(lv.ShownPositionOf(id), matches ? shown++ : -1);
            ASSERT_TRUE(!lv.Selected(id) || matches) << "a hidden row is selected";
        }
        ASSERT_EQ(lv.ShownCount(), shown);
        ASSERT_EQ(lv.SelectedCount(), static_cast<int>(lv.SelectedRows().size()));
        ASSERT_TRUE(!lv.FocusedRow() || lv.Shown(lv.FocusedRow()));
    }
}

TEST(ContainsFolded, IgnoresCaseInTheScriptsServicesAreNamedIn) {
    const struct {
        const char *text, *needle;
        bool found;
    } cases[] = {
        {"Print Spooler", "SPOOL", true},
        {"Print Spooler", "", true},
        {"Print Spooler", "spooled", false},
        {"\303\234berwachung", "\303\274BER", true},  // Überwachung, üBER
        {"\303\206gir \305\201\303\263d\305\272", "\303\246GIR \305\202\303\223D\305\271",
         true},                                          // Ægir Łódź
        {"\316\243\316\251", "\317\203\317\211", true},  // ΣΩ, σω
        {"\320\241\320\201", "\321\201\321\221", true},  // СЁ, сё
        {"\303\234", "\303", false},                     // half a letter is no letter
        {"a\377b", "\377B", true},
        {"a\376b", "\377", false},        // stray bytes
        {"\303\227", "\303\267", false},  // × is no capital of ÷
    };
    for (const auto& c : cases)
        EXPECT_EQ(ContainsFolded(c.text, FoldForSearch(c.needle)), c.found) << c.text << c.needle;
}

}  // namespace
}  // namespace vtl::ui
