// The main window as assistive technology sees it: every component has a
// name taken from its caption or from the heading beside it, with the
// station it belongs to ("Home dry air attenuation", "EME mode"), and shows
// its text as its value.
#include <QAbstractSlider>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QToolButton>
#include <algorithm>
#include <limits>

#include "clickable_label.h"
#include "component_text.h"
#include "form_components.h"
#include "panel.h"
#include "radio_group.h"
#include "spin_button.h"
#include "tab_set.h"
#include "tform1.h"
#include "ui_tform1.h"

namespace quillmere {
namespace {

// The widget that holds the form's components.
constexpr QLatin1StringView kFormClient("FormClient");

// Names where the form has no heading beside a component, or where the
// heading beside it would mislead (a field under a line that is itself a
// result, a label beside an end mark of a slider).
struct NameOverride {
  const char* component;
  const char* name;
  // Whether the station of the block it lies in goes before the name.
  bool of_station;
};
constexpr NameOverride kOverrides[] = {
    {component::Panel1.data(), "Quillmere", false},
    {component::TabSet2.data(), "Help, About and Exit", false},
    {component::Panel125.data(), "EME mode", false},
    {component::Panel124.data(), "Terrestrial mode", false},
    {component::Panel128.data(), "Select EME path", false},
    {component::Panel11.data(), "Total Atmosphere Attenuation", true},
    {component::Panel16.data(), "Total Atmosphere Attenuation path", true},
    {component::Panel114.data(), "Moon data", false},
    {component::Label96.data(), "Moon distance", false},
    {component::Panel121.data(), "Combined losses", false},
    {component::Panel122.data(), "Combined losses", false},
    {component::Panel123.data(), "Combined losses", false},
    {component::Panel120.data(), "Home + Dx Station combined losses", false},
    {component::Panel42.data(), "Cloud liquid-water notes", false},
    {component::Panel45.data(), "Home reference latitude and season", false},
    {component::Panel117.data(), "DX reference latitude and season", false},
    {component::Label21.data(), "Temperature in kelvin", true},
    {component::Label58.data(), "Temperature in kelvin", true},
    {component::Label113.data(), "Temperature at HASL in kelvin", true},
    {component::Label114.data(), "Temperature at HASL in kelvin", true},
    {component::Label55.data(), "Cloud columnar content value", true},
    {component::Label73.data(), "Cloud columnar content value", true},
};

// Texts that only join a sum (" + ", " =") or point ("<", the "." of the
// digit row) head nothing.
bool IsSign(const QString& text) {
  static const QStringList signs = {"+", "=", "<", "."};
  return signs.contains(text.trimmed());
}

QString Tidy(QString text) {
  text = text.simplified();
  // "+   EME Path Loss" is headed by its sign only on the form.
  while (text.startsWith(u'+')) text = text.mid(1).trimmed();
  while (text.endsWith(u'.')) text.chop(1);
  return text;
}

// "Dry Air attenuation" reads "dry air attenuation" after a station's
// name; words in capitals (HASL, ITU, EME) keep them.
QString InSentence(const QString& text) {
  QStringList words = text.split(u' ', Qt::SkipEmptyParts);
  for (QString& word : words) {
    if (word.size() > 1 && word[0].isUpper() && word.mid(1) == word.mid(1).toLower()) {
      word[0] = word[0].toLower();
    }
  }
  return words.join(u' ');
}

bool Overlaps(int a0, int a1, int b0, int b1) {
  return a0 < b1 && b0 < a1;
}

class NameRule {
 public:
  explicit NameRule(const QList<QWidget*>& components) {
    for (QWidget* w : components) {
      members_.insert(w);
      order_.append(w);
      design_text_.insert(w, ShownText(*w).value_or(QString()));
      design_geometry_.insert(w, w->geometry());
    }
    for (QWidget* w : components) {
      if (members_.contains(w->parentWidget())) containers_.insert(w->parentWidget());
    }
    for (const NameOverride& o : kOverrides) overrides_.insert(QLatin1String(o.component), &o);
  }

  // A result field: at design it carries its own name as a placeholder.
  bool IsValueField(const QWidget* w) const { return design_text_.value(w) == w->objectName(); }

  // The name without the station.
  QString Base(const QWidget* w) const {
    if (const auto o = overrides_.constFind(w->objectName()); o != overrides_.cend()) {
      return QString::fromUtf8((*o)->name);
    }
    const QString text = design_text_.value(w);
    if (IsSign(text)) return text.trimmed();
    if (!text.isEmpty() && !IsValueField(w)) return Tidy(text);
    if (containers_.contains(w) && !IsValueField(w)) {
      // A block without a caption is named after its title: its first
      // component that shows a text of its own.
      for (const QWidget* d : order_) {
        if (w->isAncestorOf(d) && IsHeading(d)) return Tidy(design_text_.value(d));
      }
    }
    QString heading = Heading(w);
    // A stepper's hint is its step ("x10", "x100").
    if (qobject_cast<const SpinButton*>(w) && !w->toolTip().isEmpty()) {
      heading += u' ' + w->toolTip();
    }
    return heading;
  }

  // "Home", "DX" or nothing: from the first enclosing block whose name
  // begins with a station.
  QString Station(const QWidget* w) const {
    for (const QWidget* p = w->parentWidget(); members_.contains(p); p = p->parentWidget()) {
      const QString first = Base(p).section(u' ', 0, 0).toLower();
      if (first == QStringLiteral("home")) return QStringLiteral("Home");
      if (first == QStringLiteral("dx")) return QStringLiteral("DX");
    }
    return {};
  }

  QString Name(const QWidget* w) const {
    const QString base = Base(w);
    if (IsSign(base)) return base;
    if (const auto o = overrides_.constFind(w->objectName());
        o != overrides_.cend() && !(*o)->of_station) {
      return base;
    }
    const QString station = Station(w);
    const QString first = base.section(u' ', 0, 0).toLower();
    if (station.isEmpty() || first == QStringLiteral("home") || first == QStringLiteral("dx")) {
      return base;
    }
    return station + u' ' + InSentence(base);
  }

  // The value field a stepper steps: the first result field beside it.
  const QWidget* SteppedField(const QWidget* stepper) const {
    for (const QObject* o : stepper->parentWidget()->children()) {
      const auto* w = qobject_cast<const QWidget*>(o);
      if (w != nullptr && members_.contains(w) && qobject_cast<const Panel*>(w) &&
          IsValueField(w)) {
        return w;
      }
    }
    return nullptr;
  }

 private:
  // A text on the form that heads something: a caption or label that is
  // neither a result nor a sign.
  bool IsHeading(const QWidget* w) const {
    const QString text = design_text_.value(w);
    return !text.trimmed().isEmpty() && !IsValueField(w) && !IsSign(text) &&
           !containers_.contains(w) &&
           (qobject_cast<const QLabel*>(w) || qobject_cast<const Panel*>(w));
  }

  // The heading beside a component: the texts just left of it on its row,
  // else the row of texts just above it, else its group's caption, else
  // the name of the block it lies in.
  QString Heading(const QWidget* w) const {
    constexpr int kLeftGap = 24;  // design pixels from a label to its field
    constexpr int kAboveGap = 14;
    QList<const QWidget*> left;
    QList<const QWidget*> above;
    for (const QObject* o : w->parentWidget()->children()) {
      const auto* c = qobject_cast<const QWidget*>(o);
      if (c == nullptr || c == w || !members_.contains(c) || !IsHeading(c)) continue;
      const QRect g = design_geometry_.value(c);
      const QRect f = design_geometry_.value(w);
      if (g.x() + g.width() <= f.x() + 2 && f.x() - (g.x() + g.width()) <= kLeftGap &&
          Overlaps(g.y(), g.y() + g.height(), f.y(), f.y() + f.height())) {
        left.append(c);
      } else if (g.y() + g.height() <= f.y() + 2 && f.y() - (g.y() + g.height()) <= kAboveGap &&
                 Overlaps(g.x(), g.x() + g.width(), f.x(), f.x() + f.width())) {
        above.append(c);
      }
    }
    auto join = [this](QList<const QWidget*> texts, bool by_row) {
      std::sort(texts.begin(), texts.end(), [this, by_row](const QWidget* a, const QWidget* b) {
        const QRect ga = design_geometry_.value(a);
        const QRect gb = design_geometry_.value(b);
        return by_row ? ga.y() < gb.y() : ga.x() < gb.x();
      });
      QStringList parts;
      for (const QWidget* t : texts) parts.append(design_text_.value(t));
      return Tidy(parts.join(u' '));
    };
    if (!left.isEmpty()) return join(left, true);
    if (!above.isEmpty()) {
      // Only the nearest row of texts above.
      int nearest = std::numeric_limits<int>::min();
      for (const QWidget* t : above)
        nearest = std::max(nearest, design_geometry_.value(t).bottom());
      above.erase(std::remove_if(above.begin(), above.end(),
                                 [this, nearest](const QWidget* t) {
                                   return design_geometry_.value(t).bottom() < nearest - 4;
                                 }),
                  above.end());
      return join(above, false);
    }
    const QWidget* parent = w->parentWidget();
    if (!members_.contains(parent)) return {};
    const QString caption = design_text_.value(parent);
    if (!caption.trimmed().isEmpty() && !IsValueField(parent)) return Tidy(caption);
    return Base(parent);
  }

  QSet<const QWidget*> members_;
  QList<const QWidget*> order_;  // parents before children, in the form's order
  QSet<const QWidget*> containers_;
  QHash<const QWidget*, QString> design_text_;
  // Where each component lies at design size: headings are found by
  // design-pixel distances, whatever size the window has when asked.
  QHash<const QWidget*, QRect> design_geometry_;
  QHash<QString, const NameOverride*> overrides_;
};

// The names of the form's components, worked out when assistive technology
// first asks for one (most starts have none listening), from the texts and
// places the form had when it was built, and kept. A child of the widget
// holding the components, so it lasts as long as they do.
class NameBook : public QObject {
 public:
  NameBook(const QList<QWidget*>& components, QWidget* form_client)
      : QObject(form_client), rule_(components) {
    setObjectName(kObjectName);
  }

  QString Name(const QWidget* w) const {
    auto it = names_.constFind(w);
    if (it == names_.cend()) it = names_.insert(w, rule_.Name(w));
    return *it;
  }
  const QWidget* SteppedField(const QWidget* stepper) const { return rule_.SteppedField(stepper); }

  // The book of the form a component lies on.
  static const NameBook* Of(const QWidget* w) {
    for (const QWidget* p = w->parentWidget(); p != nullptr; p = p->parentWidget()) {
      if (p->objectName() == kFormClient) {
        return static_cast<const NameBook*>(
            p->findChild<const QObject*>(kObjectName, Qt::FindDirectChildrenOnly));
      }
    }
    return nullptr;
  }

 private:
  static constexpr QLatin1StringView kObjectName{"quillmereNameBook"};
  NameRule rule_;
  mutable QHash<const QWidget*, QString> names_;
};

// One tab of the tab strip: a page tab named after its text, which a press
// chooses as a click does.
class TabAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  TabAccessible(TabSet* strip, int index) : strip_(strip), index_(index) {}

  bool isValid() const override { return !strip_.isNull(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return strip_ ? strip_->window()->windowHandle() : nullptr; }
  QAccessibleInterface* parent() const override {
    return strip_ ? QAccessible::queryAccessibleInterface(strip_.data()) : nullptr;
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QString text(QAccessible::Text t) const override {
    if (!strip_ || (t != QAccessible::Name && t != QAccessible::Value)) return {};
    return strip_->tabs().value(index_);
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    if (!strip_) return {};
    const QRect r = strip_->tabRect(index_);
    return QRect(strip_->mapToGlobal(r.topLeft()), r.size());
  }
  QAccessible::Role role() const override { return QAccessible::PageTab; }
  QAccessible::State state() const override {
    QAccessible::State state;
    state.focusable = true;
    state.focused = strip_ && strip_->hasFocus() && strip_->focusTab() == index_;
    return state;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
    return nullptr;
  }
  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& action) override {
    if (strip_ && action == pressAction()) strip_->chooseTab(index_);
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  QPointer<TabSet> strip_;
  int index_;
};

QAccessible::Role RoleOf(const QWidget& w) {
  if (qobject_cast<const SpinButton*>(&w)) return QAccessible::SpinBox;
  if (qobject_cast<const TabSet*>(&w)) return QAccessible::PageTabList;
  if (qobject_cast<const RadioGroup*>(&w)) return QAccessible::Grouping;
  if (qobject_cast<const ClickableLabel*>(&w) || qobject_cast<const QAbstractButton*>(&w)) {
    return QAccessible::Button;
  }
  if (qobject_cast<const Panel*>(&w)) {
    if (w.focusPolicy() & Qt::TabFocus) return QAccessible::Button;
    for (const QObject* child : w.children()) {
      if (child->isWidgetType() && !child->objectName().isEmpty()) return QAccessible::Grouping;
    }
  }
  return QAccessible::StaticText;
}

// A component of the form as assistive technology sees it: its name, its
// shown text as its value, its hint as its description, and a press action
// where a click does something.
class ComponentAccessible : public QAccessibleWidget {
 public:
  explicit ComponentAccessible(QWidget* w) : QAccessibleWidget(w) {}

  // Asked each time: the description may be made while the form is still
  // being built, before a panel has its children or its focus policy.
  QAccessible::Role role() const override { return RoleOf(*widget()); }
  ~ComponentAccessible() override {
    for (const QAccessible::Id id : tab_ids_) QAccessible::deleteAccessibleInterface(id);
  }

  // The tab strip's tabs are its children; every other component's
  // children are the controls inside it.
  int childCount() const override {
    if (!qobject_cast<TabSet*>(widget())) return QAccessibleWidget::childCount();
    return int(Tabs().size());
  }
  QAccessibleInterface* child(int index) const override {
    if (!qobject_cast<TabSet*>(widget())) return QAccessibleWidget::child(index);
    const QList<QAccessible::Id> tabs = Tabs();
    if (index < 0 || index >= tabs.size()) return nullptr;
    return QAccessible::accessibleInterface(tabs[index]);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    if (!qobject_cast<TabSet*>(widget())) return QAccessibleWidget::indexOfChild(child);
    const QList<QAccessible::Id> tabs = Tabs();
    for (qsizetype i = 0; i < tabs.size(); ++i) {
      if (QAccessible::accessibleInterface(tabs[i]) == child) return int(i);
    }
    return -1;
  }

  QString text(QAccessible::Text t) const override {
    const QWidget* w = widget();
    switch (t) {
      case QAccessible::Name: {
        if (!w->accessibleName().isEmpty()) return w->accessibleName();
        const NameBook* book = NameBook::Of(w);
        return book != nullptr ? book->Name(w) : QString();
      }
      case QAccessible::Value:
        return Value(*w);
      case QAccessible::Description:
        return w->toolTip();
      default:
        return QAccessibleWidget::text(t);
    }
  }

  QStringList actionNames() const override {
    QStringList names;
    if (qobject_cast<const SpinButton*>(widget())) {
      names << increaseAction() << decreaseAction();
    } else if (role() == QAccessible::Button) {
      names << pressAction();
    }
    return names + QAccessibleWidget::actionNames();
  }

  void doAction(const QString& action) override {
    QWidget* w = widget();
    if (auto* stepper = qobject_cast<SpinButton*>(w)) {
      if (action == increaseAction()) stepper->upArrow()->click();
      if (action == decreaseAction()) stepper->downArrow()->click();
    } else if (action == pressAction()) {
      if (auto* panel = qobject_cast<Panel*>(w)) emit panel->clicked();
      if (auto* label = qobject_cast<ClickableLabel*>(w)) emit label->clicked();
      if (auto* button = qobject_cast<QAbstractButton*>(w)) button->click();
    }
    QAccessibleWidget::doAction(action);
  }

  // The tabs' descriptions, made when first asked for and kept with this
  // one; none for a component that is no tab strip.
  QList<QAccessible::Id> Tabs() const {
    auto* strip = qobject_cast<TabSet*>(widget());
    if (strip == nullptr) return {};
    while (tab_ids_.size() < strip->tabs().size()) {
      tab_ids_.append(
          QAccessible::registerAccessibleInterface(new TabAccessible(strip, int(tab_ids_.size()))));
    }
    return tab_ids_;
  }

  static QString Value(const QWidget& w) {
    if (const auto* tabs = qobject_cast<const TabSet*>(&w))
      return tabs->tabs().join(QStringLiteral(", "));
    if (const auto* group = qobject_cast<const RadioGroup*>(&w)) {
      const int item = group->itemIndex();
      return item >= 0 ? group->items().value(item) : QString();
    }
    if (qobject_cast<const SpinButton*>(&w)) {
      const NameBook* book = NameBook::Of(&w);
      const auto* panel =
          qobject_cast<const Panel*>(book != nullptr ? book->SteppedField(&w) : nullptr);
      return panel != nullptr ? panel->caption() : QString();
    }
    return ShownText(w).value_or(QString());
  }

 private:
  mutable QList<QAccessible::Id> tab_ids_;
};

// A component of the form: a named widget inside the form's client whose
// parents up to it are named too (the parts a control makes for itself are
// not). Sliders and the notes keep Qt's own description, which gives their
// position and their text. Decided from what the widget is, so that a
// description Qt asks for while the form is being built is already this one.
bool IsDescribed(const QWidget& w) {
  if (qobject_cast<const QAbstractSlider*>(&w) || qobject_cast<const QPlainTextEdit*>(&w)) {
    return false;
  }
  for (const QWidget* p = &w; p != nullptr; p = p->parentWidget()) {
    const QString name = p->objectName();
    if (name == kFormClient) return p != &w;
    if (name.isEmpty() || name.startsWith(QLatin1StringView("qt_"))) return false;
  }
  return false;
}

QAccessibleInterface* DescribeComponent(const QString&, QObject* object) {
  if (object == nullptr || !object->isWidgetType()) return nullptr;
  auto* w = static_cast<QWidget*>(object);
  return IsDescribed(*w) ? new ComponentAccessible(w) : nullptr;
}

}  // namespace

void TForm1::DescribeComponentsForAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(&DescribeComponent);
    return true;
  }();
  (void)installed;
}

void TForm1::NameComponentsForAccessibility() {
  // Named from the texts as designed, before the first recalculation
  // replaces the placeholders of the result fields.
  const auto* book = new NameBook(components_, ui_->FormClient);
  // The few that keep Qt's own description take their name as Qt reads it.
  for (QWidget* w : components_) {
    if (!IsDescribed(*w)) w->setAccessibleName(book->Name(w));
  }
}

}  // namespace quillmere
