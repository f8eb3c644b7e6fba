#pragma once
// A captioned group of radio items laid out in columns, of which at most one
// is selected. Like the selection groups of classic desktop toolkits it starts
// with no item selected, and it reports a change of the selected item however
// the change was made.

#include <QColor>
#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QGridLayout;

namespace quillmere {

class RadioGroup : public QGroupBox {
  Q_OBJECT
  Q_PROPERTY(QStringList items READ items WRITE setItems)
  Q_PROPERTY(int columns READ columns WRITE setColumns)
  Q_PROPERTY(int itemIndex READ itemIndex WRITE setItemIndex NOTIFY itemChanged)
  Q_PROPERTY(QColor color READ color WRITE setColor)

 public:
  explicit RadioGroup(QWidget* parent = nullptr);

  QStringList items() const { return items_; }
  // Replaces the items; the selection is cleared (and reported if there was
  // one).
  void setItems(const QStringList& items);

  int columns() const { return columns_; }
  // Items fill the columns top to bottom, column after column, each column
  // holding ceil(count / columns) items.
  void setColumns(int columns);

  // The selected item, -1 when none is.
  int itemIndex() const { return index_; }
  // Selects an item (-1 or any index outside the items clears the
  // selection). Emits itemChanged when, and only when, the selection changes.
  void setItemIndex(int index);

  QColor color() const { return color_; }
  void setColor(const QColor& color);

 signals:
  // The selected item changed, by a click, the keyboard or setItemIndex;
  // never for a click on the item that is already selected.
  void itemChanged(int index);

 private:
  void Arrange();
  void OnToggled(int id, bool checked);

  QStringList items_;
  int columns_ = 1;
  int index_ = -1;
  QColor color_;
  QButtonGroup* buttons_;
  QGridLayout* grid_;
};

}  // namespace quillmere
