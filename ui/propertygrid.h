#pragma once

// The property grid: a CPropertyList shown as named, typed cells under
// their categories, edited in place and written back on demand.

#include "foundation/colorhelpers.h"

#include <QDateTime>
#include <QList>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class CPropertyList;

/// Style bits of a value cell: a marked record's cell, and a combo cell.
constexpr quint32 kCellStyleMarked = 0x20000000;
constexpr quint32 kCellStyleCombo = 0x80000000;

/// @short The up-down number of a grid cell: an integer or a double with an
/// optional range that stops the buttons and refuses typed integers
/// outside it.
class CExtUpDown {
public:
    bool IsInteger() const { return m_integer; }
    void SetInteger(qint64 value) { m_integer = true; m_value = double(value); }
    void SetDouble(double value) { m_integer = false; m_value = value; }
    qint64 Integer() const { return qint64(m_value); }
    double Double() const { return m_value; }
    /// Sets both bounds and the range flag, only when they differ.
    void SetRange(double minimum, double maximum);
    bool HasRange() const { return m_rangeSet; }
    double Minimum() const { return m_minimum; }
    double Maximum() const { return m_maximum; }
    /// One step up or down; false (and no change) at the bound.
    bool Increment();
    bool Decrement();
    /// Parses typed text as the cell's kind; false when it does not parse or
    /// an integer falls outside the range (the value stays).
    bool SetFromText(const QString& text);
    QString Text() const;

private:
    double m_value = 0;
    double m_minimum = 0;
    double m_maximum = 0;
    bool m_integer = true;
    bool m_rangeSet = false;
};

/// What a value cell holds and which editor it gets.
enum class PropertyCellKind { Text, Folder, File, Number, Combo, Colour, DateTime, Check };

/// One entry of a combo cell.
struct PropertyComboEntry {
    QString text;
    int image = -1;        ///< index into the cell's images; -1 for none
    qint32 data = 0;
};

/// @short One item of the grid: its category, name and value cell.
struct PropertyCell {
    QString category;      ///< empty at the top level
    QString name;
    PropertyCellKind kind = PropertyCellKind::Text;
    quint32 style = 0;
    QString text;                          ///< Text, Folder, File
    CExtUpDown number;                     ///< Number
    QList<PropertyComboEntry> entries;     ///< Combo
    QList<QPixmap> images;                 ///< Combo
    int selection = -1;                    ///< Combo
    COLORREF colour = 0;                   ///< Colour
    QDateTime dateTime;                    ///< DateTime
    int dateMode = 6;                      ///< 6 date and time, 4 date only
    bool check = false;                    ///< Check
    bool IsMarked() const { return (style & kCellStyleMarked) != 0; }
    /// The value as the grid shows it.
    QString DisplayText() const;
};

/// @short The cells built from a list: categories in order, items in order.
struct CPropertyStore {
    QStringList categories;
    std::vector<PropertyCell> cells;
    /// The item by name (in the category when categorised); null when none.
    PropertyCell* Find(const QString& category, const QString& name, bool categorised);
};

/// Builds the images of an icon combo from a record's bitmap id and icon
/// size; the default has no pictures.
using PropertyImageSource = std::function<QList<QPixmap>(qint32 bitmapId, int width, int height)>;
void SetPropertyImageSource(PropertyImageSource source);

/// @short The binding between a property list and the cells that edit it.
class CPropertyValue {
public:
    void SetList(CPropertyList* list) { m_list = list; }
    CPropertyList* GetList() const { return m_list; }
    /// A new store built from the shown records of the list; null when no
    /// list is set. The binding keeps it until the next build.
    CPropertyStore* BuildGrid();
    CPropertyStore* Store() const { return m_store.get(); }
    /// Writes every shown record back from its cell; the list marks only
    /// what changed. Returns the list.
    CPropertyList* Apply();
    bool IsCategorised() const { return m_categorised; }

    // Cell accessors by (category, name); a missing cell or another kind
    // reads 0, empty or a null date and ignores a set.
    QString GetText(const QString& category, const QString& name);
    qint64 GetInteger(const QString& category, const QString& name);
    double GetDouble(const QString& category, const QString& name);
    QDateTime GetDateTime(const QString& category, const QString& name);
    bool GetCheck(const QString& category, const QString& name);
    COLORREF GetColour(const QString& category, const QString& name);
    int GetSelection(const QString& category, const QString& name);
    void SetText(const QString& category, const QString& name, const QString& text, bool mark);
    void SetInteger(const QString& category, const QString& name, qint64 value, bool mark);
    void SetDouble(const QString& category, const QString& name, double value, bool mark);
    void SetDateTime(const QString& category, const QString& name, const QDateTime& value, bool mark);
    void SetDateTimeMode(const QString& category, const QString& name, int mode);
    void SetCheck(const QString& category, const QString& name, bool check, bool mark);
    void SetColour(const QString& category, const QString& name, COLORREF colour, bool mark);
    void SetIntegerRange(const QString& category, const QString& name, qint64 minimum, qint64 maximum);

private:
    PropertyCell* Cell(const QString& category, const QString& name, PropertyCellKind kind);

    std::unique_ptr<CPropertyStore> m_store;
    CPropertyList* m_list = nullptr;
    bool m_categorised = false;
};

/// @short The grid window: categories as top rows, items with their name
/// and value; the value column is edited in place (F2, a double click or a
/// typed key), check boxes by click or the space bar.
class CPropertyGridWnd : public QTreeWidget {
    Q_OBJECT
public:
    explicit CPropertyGridWnd(QWidget* parent = nullptr);
    /// Shows the store's cells (not owned; null empties the grid).
    void SetStore(CPropertyStore* store);
    CPropertyStore* Store() const { return m_store; }
    /// The cell of a row; null for a category row.
    PropertyCell* CellOf(const QTreeWidgetItem* item) const;
    /// The row of the item by name; null when none.
    QTreeWidgetItem* FindItem(const QString& category, const QString& name) const;
    /// Shows the cells' values again after they were set from outside.
    void RefreshValues();
    /// Asks for a colour for a colour cell; the default is the colour picker.
    using ColourChooser = std::function<bool(QWidget* parent, COLORREF& colour)>;
    void SetColourChooser(ColourChooser chooser) { m_chooseColour = std::move(chooser); }
    bool ChooseColour(COLORREF& colour);
    /// An editor still open gives its value to its cell and closes.
    void CommitOpenEditor();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ToggleCheck(QTreeWidgetItem* item);
    void FitNameColumn();

    CPropertyStore* m_store = nullptr;
    ColourChooser m_chooseColour;
};

/// @short The grid control for dialogs and panes: a list set on it is built
/// into the grid and written back by Apply.
class CPropertyGridCtrl : public QWidget {
    Q_OBJECT
public:
    static constexpr int kGridId = 30388;
    static constexpr int kSortedGridId = 30389;
    explicit CPropertyGridCtrl(QWidget* parent = nullptr);
    ~CPropertyGridCtrl() override;
    /// Builds the grid from the list (not owned; null empties it).
    void SetPropertyList(CPropertyList* list);
    /// Writes the edited cells back into the list; null without a list.
    CPropertyList* Apply();
    CPropertyValue& Binding() { return m_binding; }
    CPropertyGridWnd* Grid() const { return m_grid; }
    /// A 1-pixel frame in the scheme's border colour, else white.
    void SetBorder(bool border) { m_border = border; update(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CPropertyValue m_binding;
    CPropertyGridWnd* m_grid = nullptr;
    CPropertyGridWnd* m_sorted = nullptr;
    bool m_border = true;
};
