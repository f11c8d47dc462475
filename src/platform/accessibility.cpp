// SPDX-License-Identifier: GPL-3.0-or-later
// The surface as a screen reader sees it, through Qt's accessibility interfaces: the calendar's
// heading, a table of the days with the weekdays as column headers, the gauges, the welcome text,
// the entry field and the banner, all read from the description the program gives the window.
#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>
#include <algorithm>
#include <array>

#include "model/period.h"
#include "platform/platform_qt.h"

namespace {

constexpr const char* DESCRIPTION_PROPERTY = "monedarioDescription";
// Set once something (a screen reader's bridge) has asked for the surface's interface.
constexpr const char* ASKED_PROPERTY = "monedarioAccessibleAsked";

enum class Kind { Heading, Table, ColumnHeader, Cell, Gauge, Welcome, Field, Banner, Notice };

const SurfaceDescription& DescriptionOf(const QWidget* surface) {
    return *static_cast<const SurfaceDescription*>(
        surface->property(DESCRIPTION_PROPERTY).value<const void*>());
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

class SurfaceAccessible;

// One thing the surface shows. Items live as long as the surface's interface and read the
// current description whenever they are asked.
class Item : public QAccessibleInterface {
public:
    Item(SurfaceAccessible& surface, Kind kind, int index)
        : surface_(surface), kind_(kind), index_(index) {}

    bool isValid() const override { return true; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;

    Kind kind() const { return kind_; }
    int index() const { return index_; }

protected:
    const SurfaceDescription& Description() const;
    // A gauge's item outlives the gauges (statistics switched off): it then reads as empty.
    DescribedGauge ShownGauge() const;
    QRect GlobalBox(const Rect& box) const;

    SurfaceAccessible& surface_;
    Kind kind_;
    int index_;
};

class TableItem : public Item, public QAccessibleTableInterface {
public:
    using Item::Item;
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::TableInterface ? static_cast<QAccessibleTableInterface*>(this)
                                                : nullptr;
    }
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override { return {}; }
    QString columnDescription(int column) const override;
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return GRID_COLUMNS; }
    int rowCount() const override {
        return static_cast<int>(Description().cells.size()) / GRID_COLUMNS;
    }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}
};

class CellItem : public Item, public QAccessibleTableCellInterface {
public:
    using Item::Item;
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }
    bool isSelected() const override { return false; }
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return index_ % GRID_COLUMNS; }
    int rowIndex() const override { return index_ / GRID_COLUMNS; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }
};

class GaugeItem : public Item, public QAccessibleValueInterface {
public:
    using Item::Item;
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface*>(this)
                                                : nullptr;
    }
    QVariant currentValue() const override { return ShownGauge().percentage; }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }
};

class FieldItem : public Item, public QAccessibleTextInterface {
public:
    using Item::Item;
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface*>(this)
                                               : nullptr;
    }
    using Item::text;
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return Description().field.caret; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override { return Value().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(Value().size()); }
    QRect characterRect(int) const override { return rect(); }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    QString Value() const { return Text(Description().field.text); }
};

// The surface itself: its children are what the page shows now.
class SurfaceAccessible : public QAccessibleWidget {
public:
    explicit SurfaceAccessible(QWidget* surface) : QAccessibleWidget(surface, QAccessible::Pane) {
        heading_ = Register(new Item(*this, Kind::Heading, 0));
        table_ = Register(new TableItem(*this, Kind::Table, 0));
        for (int i = 0; i < GRID_COLUMNS; ++i)
            headers_[i] = Register(new Item(*this, Kind::ColumnHeader, i));
        for (int i = 0; i < static_cast<int>(cells_.size()); ++i)
            cells_[i] = Register(new CellItem(*this, Kind::Cell, i));
        for (int i = 0; i < static_cast<int>(gauges_.size()); ++i)
            gauges_[i] = Register(new GaugeItem(*this, Kind::Gauge, i));
        welcome_ = Register(new Item(*this, Kind::Welcome, 0));
        field_ = Register(new FieldItem(*this, Kind::Field, 0));
        banner_ = Register(new Item(*this, Kind::Banner, 0));
        notice_ = Register(new Item(*this, Kind::Notice, 0));
    }
    ~SurfaceAccessible() override {
        for (QAccessible::Id id : ids_) QAccessible::deleteAccessibleInterface(id);
    }

    const SurfaceDescription& Description() const { return DescriptionOf(widget()); }

    // The children shown now, in reading order.
    std::vector<QAccessibleInterface*> Shown() const {
        const SurfaceDescription& d = Description();
        std::vector<QAccessibleInterface*> shown;
        if (!d.heading.empty()) {
            shown.push_back(heading_);
            shown.push_back(table_);
        }
        for (size_t i = 0; i < d.gauges.size() && i < gauges_.size(); ++i)
            shown.push_back(gauges_[i]);
        if (!d.welcome.empty()) shown.push_back(welcome_);
        if (d.field.open) shown.push_back(field_);
        if (!d.banner.empty()) shown.push_back(banner_);
        if (!d.notice.empty()) shown.push_back(notice_);
        return shown;
    }

    int childCount() const override { return static_cast<int>(Shown().size()); }
    QAccessibleInterface* child(int index) const override {
        const auto shown = Shown();
        return index >= 0 && index < static_cast<int>(shown.size()) ? shown[index] : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto shown = Shown();
        const auto found = std::find(shown.begin(), shown.end(), child);
        return found == shown.end() ? -1 : static_cast<int>(found - shown.begin());
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override {
        const SurfaceDescription& d = Description();
        if (d.field.open) return field_;
        const int cell = d.focusedCell;
        return cell >= 0 && cell < static_cast<int>(d.cells.size()) ? cells_[cell] : nullptr;
    }

    QAccessibleInterface* Heading() const { return heading_; }
    QAccessibleInterface* Table() const { return table_; }
    QAccessibleInterface* Header(int i) const { return headers_[i]; }
    QAccessibleInterface* Cell(int i) const { return cells_[i]; }
    QAccessibleInterface* Gauge(int i) const { return gauges_[i]; }
    QAccessibleInterface* Field() const { return field_; }
    QAccessibleInterface* BannerItem() const { return banner_; }
    QAccessibleInterface* NoticeItem() const { return notice_; }

private:
    // Qt owns the items from here; they go with the surface's interface.
    QAccessibleInterface* Register(QAccessibleInterface* item) {
        ids_.push_back(QAccessible::registerAccessibleInterface(item));
        return item;
    }

    QAccessibleInterface* heading_;
    QAccessibleInterface* table_;
    std::array<QAccessibleInterface*, GRID_COLUMNS> headers_{};
    std::array<QAccessibleInterface*, GRID_CELLS> cells_{};
    std::array<QAccessibleInterface*, DESCRIBED_GAUGES> gauges_{};
    QAccessibleInterface* welcome_;
    QAccessibleInterface* field_;
    QAccessibleInterface* banner_;
    QAccessibleInterface* notice_;
    std::vector<QAccessible::Id> ids_;
};

const SurfaceDescription& Item::Description() const {
    return surface_.Description();
}

DescribedGauge Item::ShownGauge() const {
    const std::vector<DescribedGauge>& gauges = Description().gauges;
    return index_ < static_cast<int>(gauges.size()) ? gauges[index_] : DescribedGauge{};
}

QWindow* Item::window() const {
    return surface_.window();
}

QRect Item::GlobalBox(const Rect& box) const {
    const auto* frame = static_cast<const QWidget*>(surface_.object());
    const QPoint topLeft = frame->mapToGlobal(frame->contentsRect().topLeft());
    return QRect(topLeft + QPoint(box.left, box.top), QSize(box.Width(), box.Height()));
}

QAccessibleInterface* Item::parent() const {
    if (kind_ == Kind::Cell || kind_ == Kind::ColumnHeader) return surface_.Table();
    return const_cast<SurfaceAccessible*>(&surface_);
}

// A table's children: the weekday headers, then the days row by row.
QAccessibleInterface* Item::child(int index) const {
    if (kind_ != Kind::Table || index < 0 || index >= childCount()) return nullptr;
    return index < GRID_COLUMNS ? surface_.Header(index) : surface_.Cell(index - GRID_COLUMNS);
}

int Item::childCount() const {
    if (kind_ != Kind::Table) return 0;
    return static_cast<int>(Description().columnHeaders.size() + Description().cells.size());
}

int Item::indexOfChild(const QAccessibleInterface* child) const {
    const auto* item = dynamic_cast<const Item*>(child);
    if (kind_ != Kind::Table || !item) return -1;
    if (item->kind() == Kind::ColumnHeader) return item->index();
    if (item->kind() == Kind::Cell) return GRID_COLUMNS + item->index();
    return -1;
}

QString Item::text(QAccessible::Text t) const {
    const SurfaceDescription& d = Description();
    if (t == QAccessible::Value) {
        if (kind_ == Kind::Field) return Text(d.field.text);
        if (kind_ == Kind::Gauge) return QString::number(ShownGauge().percentage) + " %";
        return {};
    }
    if (t == QAccessible::Description && kind_ == Kind::Gauge) return Text(ShownGauge().amount);
    // A day's tooltip, today's with what is left a day, for whoever cannot hover it.
    if (t == QAccessible::Description && kind_ == Kind::Cell)
        return index_ < static_cast<int>(d.cells.size()) ? Text(d.cells[index_].tip) : QString();
    if (t != QAccessible::Name) return {};
    switch (kind_) {
        case Kind::Heading:
            return Text(d.heading);
        case Kind::Table:
            return Text(d.heading);
        case Kind::ColumnHeader:
            return index_ < static_cast<int>(d.columnHeaders.size()) ? Text(d.columnHeaders[index_])
                                                                     : QString();
        case Kind::Cell:
            return index_ < static_cast<int>(d.cells.size()) ? Text(d.cells[index_].name)
                                                             : QString();
        case Kind::Gauge:
            return Text(ShownGauge().name);
        case Kind::Welcome:
            return Text(d.welcome);
        case Kind::Field:
            return Text(d.field.name);
        case Kind::Banner:
            return Text(d.banner);
        case Kind::Notice:
            return Text(d.notice);
    }
    return {};
}

QRect Item::rect() const {
    const SurfaceDescription& d = Description();
    switch (kind_) {
        case Kind::Heading:
            return GlobalBox(d.headingBox);
        case Kind::Cell:
            return index_ < static_cast<int>(d.cells.size()) ? GlobalBox(d.cells[index_].box)
                                                             : QRect();
        case Kind::Gauge:
            return GlobalBox(ShownGauge().box);
        case Kind::Field:
            return GlobalBox(d.field.box);
        default:
            return surface_.rect();
    }
}

QAccessible::Role Item::role() const {
    switch (kind_) {
        case Kind::Heading:
            return QAccessible::Heading;
        case Kind::Table:
            return QAccessible::Table;
        case Kind::ColumnHeader:
            return QAccessible::ColumnHeader;
        case Kind::Cell:
            return QAccessible::Cell;
        case Kind::Gauge:
            return QAccessible::ProgressBar;
        case Kind::Welcome:
            return QAccessible::StaticText;
        case Kind::Field:
            return QAccessible::EditableText;
        case Kind::Banner:
        case Kind::Notice:
            // A notification, not an alert: screen readers speak a notification as it shows.
            return QAccessible::Notification;
    }
    return QAccessible::NoRole;
}

QAccessible::State Item::state() const {
    QAccessible::State state;
    const SurfaceDescription& d = Description();
    const bool surfaceFocused = static_cast<const QWidget*>(surface_.object())->hasFocus();
    if (kind_ == Kind::Cell) {
        state.focusable = true;
        state.focused = surfaceFocused && !d.field.open && d.focusedCell == index_;
    } else if (kind_ == Kind::Field) {
        state.focusable = true;
        state.editable = true;
        state.focused = surfaceFocused;
    } else {
        state.readOnly = true;
    }
    return state;
}

QAccessibleInterface* TableItem::cellAt(int row, int column) const {
    const int index = row * GRID_COLUMNS + column;
    return index >= 0 && index < static_cast<int>(Description().cells.size()) ? surface_.Cell(index)
                                                                              : nullptr;
}

QString TableItem::columnDescription(int column) const {
    const auto& headers = Description().columnHeaders;
    return column >= 0 && column < static_cast<int>(headers.size()) ? Text(headers[column])
                                                                    : QString();
}

QList<QAccessibleInterface*> CellItem::columnHeaderCells() const {
    return {surface_.Header(index_ % GRID_COLUMNS)};
}

QAccessibleInterface* SurfaceFactory(const QString& key, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (key != QLatin1String("QFrame") || !widget ||
        !widget->property(DESCRIPTION_PROPERTY).isValid())
        return nullptr;
    widget->setProperty(ASKED_PROPERTY, true);
    return new SurfaceAccessible(widget);
}

void Send(QAccessibleEvent&& event) {
    QAccessible::updateAccessibility(&event);
}

}  // namespace

void InstallSurfaceAccessibility(QWidget* surface, const SurfaceDescription* description) {
    surface->setProperty(DESCRIPTION_PROPERTY,
                         QVariant::fromValue(static_cast<const void*>(description)));
    QAccessible::installFactory(SurfaceFactory);
}

void TellChanges(QWidget* surface, const SurfaceDescription& before,
                 const SurfaceDescription& after) {
    // Nobody has asked what the surface shows: there is nobody to tell what changed.
    if (!surface->property(ASKED_PROPERTY).toBool()) return;
    auto* accessible =
        static_cast<SurfaceAccessible*>(QAccessible::queryAccessibleInterface(surface));
    if (!accessible) return;
    for (const Tell& tell : WhatToTell(before, after)) {
        switch (tell.what) {
            case Telling::Reordered:
                Send(QAccessibleEvent(accessible, QAccessible::ObjectReorder));
                break;
            case Telling::HeadingRenamed:
                Send(QAccessibleEvent(accessible->Heading(), QAccessible::NameChanged));
                break;
            case Telling::CellRenamed:
                Send(QAccessibleEvent(accessible->Cell(tell.index), QAccessible::NameChanged));
                break;
            case Telling::GaugeChanged:
                Send(QAccessibleValueChangeEvent(accessible->Gauge(tell.index),
                                                 after.gauges[tell.index].percentage));
                break;
            case Telling::BannerShown:
                Send(QAccessibleEvent(accessible->BannerItem(), QAccessible::ObjectShow));
                break;
            case Telling::NoticeShown:
                Send(QAccessibleEvent(accessible->NoticeItem(), QAccessible::ObjectShow));
                break;
            case Telling::FieldFocused:
                Send(QAccessibleEvent(accessible->Field(), QAccessible::Focus));
                break;
            case Telling::FieldTextChanged:
                Send(QAccessibleTextUpdateEvent(accessible->Field(), 0, Text(before.field.text),
                                                Text(after.field.text)));
                break;
            case Telling::CaretMoved:
                Send(QAccessibleTextCursorEvent(accessible->Field(), after.field.caret));
                break;
            case Telling::DayFocused:
                Send(QAccessibleEvent(accessible->Cell(tell.index), QAccessible::Focus));
                break;
        }
    }
}

std::vector<Tell> WhatToTell(const SurfaceDescription& before, const SurfaceDescription& after) {
    std::vector<Tell> tells;
    if (before.heading.empty() != after.heading.empty() ||
        before.gauges.size() != after.gauges.size() ||
        before.welcome.empty() != after.welcome.empty() || before.field.open != after.field.open ||
        before.banner.empty() != after.banner.empty() ||
        before.notice.empty() != after.notice.empty())
        tells.push_back({Telling::Reordered});
    if (before.heading != after.heading) tells.push_back({Telling::HeadingRenamed});
    for (size_t i = 0; i < after.cells.size(); ++i) {
        if (i < before.cells.size() && before.cells[i].name == after.cells[i].name) continue;
        tells.push_back({Telling::CellRenamed, static_cast<int>(i)});
    }
    for (size_t i = 0; i < after.gauges.size() && i < DESCRIBED_GAUGES; ++i) {
        if (i < before.gauges.size() && before.gauges[i].percentage == after.gauges[i].percentage &&
            before.gauges[i].amount == after.gauges[i].amount)
            continue;
        tells.push_back({Telling::GaugeChanged, static_cast<int>(i)});
    }
    if (after.field.open) {
        const bool opened = !before.field.open || before.field.name != after.field.name;
        if (opened) tells.push_back({Telling::FieldFocused});
        if (!opened && before.field.text != after.field.text)
            tells.push_back({Telling::FieldTextChanged});
        if (opened || before.field.caret != after.field.caret)
            tells.push_back({Telling::CaretMoved});
    } else if (after.focusedCell >= 0 &&
               (after.focusedCell != before.focusedCell || before.field.open)) {
        tells.push_back({Telling::DayFocused, after.focusedCell});
    }
    // Last, so that telling of the focus does not cut short the reading of the banner.
    if (!after.banner.empty() && after.banner != before.banner)
        tells.push_back({Telling::BannerShown});
    if (!after.notice.empty()) tells.push_back({Telling::NoticeShown});
    return tells;
}
