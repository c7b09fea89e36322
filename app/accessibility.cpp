#include "accessibility.h"

#include "accessible_leaf.h"
#include "click_label.h"
#include "dialog_focus.h"
#include "kelvane_engine.h"

#include <QAccessibleWidget>

void StatusLine::Show(const QString &text)
{
    setProperty(AccessibleReading, QVariant());
    setText(text);
    Announce(this, text);
}

void Announce(StatusLine *line, const QString &text)
{
    if (!QAccessible::isActive() || text.isEmpty()) return;
    // An alert that shows itself is spoken by screen readers; the line is always shown, so
    // the showing is told without hiding it, and its name is the text until the next one.
    line->setProperty(AccessibleReading, text);
    QAccessibleEvent event(line, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&event);
}

QString CounterReading(const QString &caption, const QString &value)
{
    return value.isEmpty() ? caption + ":" : caption + ": " + value;
}

namespace
{

// A clickable label or picture: a push button named by its text, or by its accessible name
// where it shows a picture.
class LabelButton : public QAccessibleWidget
{
  public:
    explicit LabelButton(ClickLabel *label) : QAccessibleWidget(label, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            // An option's value reads with the caption beside it: "Step Depth: 25".
            const QString caption = widget()->property(AccessibleCaption).toString();
            const QString text = static_cast<ClickLabel *>(widget())->text();
            return caption.isEmpty() ? text : caption + ": " + text;
        }
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override
    {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override
    {
        if (action == pressAction())
            emit static_cast<ClickLabel *>(widget())->Clicked();
        else
            QAccessibleWidget::doAction(action);
    }
};

// A widget that reads as its text or its reading, asked for, never announced on change.
class ReadOnDemand : public QAccessibleWidget
{
  public:
    ReadOnDemand(QWidget *widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            const QVariant reading = widget()->property(AccessibleReading);
            if (reading.isValid()) return reading.toString();
            if (auto *label = qobject_cast<QLabel *>(widget())) return label->text();
        }
        return QAccessibleWidget::text(t);
    }
};

class BoardTable;

// One sector of the board; it lives as long as the board's interface.
class SectorCell : public AccessibleLeaf, public QAccessibleTableCellInterface
{
  public:
    SectorCell(BoardTable *table, int32_t c, int32_t r) : Table(table), Col(c), Row(r) {}

    bool isValid() const override;
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface *>(this)
                   : nullptr;
    }

    bool isSelected() const override { return false; }
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return Col; }
    int rowIndex() const override { return Row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override;

  private:
    BoardTable *Table;
    int32_t Col, Row;
};

// The board: a table of SizeY rows and SizeX columns of sectors.
class BoardTable : public QAccessibleWidget, public QAccessibleTableInterface
{
  public:
    explicit BoardTable(BoardArea *board) : QAccessibleWidget(board, QAccessible::Table) {}

    const BoardReading &Reading() const { return static_cast<BoardArea *>(widget())->Reading; }
    QWidget *Board() const { return widget(); }
    int32_t Columns() const { return Reading().Columns(); }
    int32_t Rows() const { return Reading().Rows(); }

    // The cell of a sector, made on first use and then kept.
    QAccessibleInterface *Cell(int32_t c, int32_t r) const
    {
        if (c < 0 || r < 0 || c >= Columns() || r >= Rows()) return nullptr;
        return Cells.At(KELVANE_SECTOR_INDEX(c, r), [this, c, r] {
            return new SectorCell(const_cast<BoardTable *>(this), c, r);
        });
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return QStringLiteral("Board");
        if (t == QAccessible::Description && widget()->accessibleDescription().isEmpty())
            return QString("%1 columns, %2 rows").arg(Columns()).arg(Rows());
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return Columns() * Rows(); }
    QAccessibleInterface *child(int index) const override
    {
        const int32_t columns = Columns();
        if (index < 0 || columns == 0 || index >= childCount()) return nullptr;
        return Cell(index % columns, index / columns);
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (child == nullptr || child->role() != QAccessible::Cell) return -1;
        auto *cell = const_cast<QAccessibleInterface *>(child)->tableCellInterface();
        if (cell == nullptr || cell->table() != this) return -1;
        return cell->rowIndex() * Columns() + cell->columnIndex();
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        int32_t c = 0, r = 0;
        if (!Reading().SectorAt(widget()->mapFromGlobal(QPoint(x, y)), c, r)) return nullptr;
        return Cell(c, r);
    }
    QAccessibleInterface *focusChild() const override
    {
        int32_t c = 0, r = 0;
        if (!Reading().CursorAt(c, r) || !widget()->hasFocus()) return nullptr;
        return Cell(c, r);
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override { return Cell(column, row); }
    int selectedCellCount() const override { return 0; }
    QList<QAccessibleInterface *> selectedCells() const override { return {}; }
    QString columnDescription(int column) const override
    {
        return QString("column %1").arg(column);
    }
    int columnCount() const override { return Columns(); }
    QString rowDescription(int row) const override { return QString("row %1").arg(row); }
    int rowCount() const override { return Rows(); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *) override {}

    bool HasCell(int32_t c, int32_t r) const
    {
        return isValid() && c >= 0 && r >= 0 && c < Columns() && r < Rows();
    }

  private:
    mutable AccessibleLeaves Cells;
};

bool SectorCell::isValid() const
{
    return Table->HasCell(Col, Row);
}

QWindow *SectorCell::window() const
{
    return Table->window();
}

QAccessibleInterface *SectorCell::parent() const
{
    return Table;
}

QAccessibleInterface *SectorCell::table() const
{
    return Table;
}

QString SectorCell::text(QAccessible::Text t) const
{
    if (t != QAccessible::Name || !isValid()) return QString();
    return Table->Reading().SectorDescription(Col, Row);
}

QRect SectorCell::rect() const
{
    if (!isValid()) return QRect();
    const QRect inside = Table->Reading().SectorInterior(Col, Row);
    return QRect(Table->Board()->mapToGlobal(inside.topLeft()), inside.size());
}

QAccessible::State SectorCell::state() const
{
    QAccessible::State state;
    state.focusable = true;
    int32_t c = 0, r = 0;
    if (Table->Reading().CursorAt(c, r) && c == Col && r == Row && Table->Board()->hasFocus())
        state.focused = true;
    return state;
}

QAccessibleInterface *Factory(const QString &className, QObject *object)
{
    if (className == QLatin1String("ClickLabel"))
        return new LabelButton(static_cast<ClickLabel *>(object));
    if (className == QLatin1String("BoardArea"))
        return new BoardTable(static_cast<BoardArea *>(object));
    // The counters and the progress bar: labels named by what they show.
    if (className == QLatin1String("PaintBox"))
        return new ReadOnDemand(static_cast<QWidget *>(object), QAccessible::StaticText);
    if (className == QLatin1String("StatusLine"))
        return new ReadOnDemand(static_cast<QWidget *>(object), QAccessible::AlertMessage);
    // The main window is a frame to assistive technology, not a filler.
    if (className == QLatin1String("TfrmMain"))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

void InstallAccessibility()
{
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(Factory);
        InstallDialogAccessibility();
        installed = true;
    }
}
