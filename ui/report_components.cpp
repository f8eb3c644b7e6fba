#include "report_components.h"

#include <QAbstractSlider>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QWidget>
#include <algorithm>
#include <optional>

#include "component_text.h"
#include "radio_group.h"
#include "tab_set.h"

namespace quillmere {
namespace {

// The component whose region `w` lies in: its top-level component, or, below
// the holder of the regions, the holder's child that holds `w`, if that child
// holds components of its own.
const QWidget* RegionOf(const QWidget* w, const QSet<const QWidget*>& members,
                        const QSet<const QWidget*>& containers, const QString& holder) {
  QList<const QWidget*> chain;  // top-level component first, `w` last
  for (const QWidget* p = w; p != nullptr && members.contains(p); p = p->parentWidget()) {
    chain.prepend(p);
  }
  const QWidget* top = chain.front();
  if (holder.isEmpty() || top->objectName() != holder || chain.size() < 2) return top;
  return containers.contains(chain[1]) ? chain[1] : top;
}

// Keeps a sheet line on one line.
QString OneLine(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\\n"));
  text.replace(u'\n', QStringLiteral("\\n"));
  text.replace(u'\r', QStringLiteral("\\n"));
  return text;
}

void CollectNamed(const QObject& parent, QList<QWidget*>& out) {
  for (QObject* child : parent.children()) {
    auto* w = qobject_cast<QWidget*>(child);
    if (w == nullptr || w->isWindow()) continue;
    if (!w->objectName().isEmpty() && !w->objectName().startsWith(QStringLiteral("qt_"))) {
      out.append(w);
    }
    CollectNamed(*w, out);
  }
}

}  // namespace

QString ComponentReport::SheetText(const Entry& entry) {
  if (entry.is_slider) {
    return QStringLiteral("position %1 of %2..%3")
        .arg(entry.position)
        .arg(entry.minimum)
        .arg(entry.maximum);
  }
  if (entry.is_tab_set) return entry.tabs.join(QStringLiteral(" | "));
  return entry.text;
}

QList<QWidget*> NamedComponents(const QWidget& window) {
  QList<QWidget*> components;
  CollectNamed(window, components);
  return components;
}

void ComponentReport::AddWindow(const QWidget& window, const QList<QWidget*>& components,
                                const WindowRegions& regions) {
  Window added;
  added.name = window.objectName();
  added.title = window.windowTitle();
  const QString prefix = windows_.isEmpty() ? QString() : added.name + u'.';

  QSet<const QWidget*> members;
  QSet<const QWidget*> containers;
  for (const QWidget* w : components) members.insert(w);
  for (const QWidget* w : components) {
    if (members.contains(w->parentWidget())) containers.insert(w->parentWidget());
  }

  QHash<const QWidget*, qsizetype> region_index;
  for (const QWidget* w : components) {
    const std::optional<QString> text = ShownText(*w);
    const QWidget* region_widget = RegionOf(w, members, containers, regions.holder);
    auto found = region_index.constFind(region_widget);
    if (found == region_index.cend()) {
      const QString name = region_widget->objectName();
      const QString heading = regions.headings.value(name);
      Region region;
      region.heading = heading.isEmpty() ? name : heading + QStringLiteral(" (") + name + u')';
      region.visible = region_widget->isVisibleTo(&window);
      added.regions.append(region);
      found = region_index.insert(region_widget, added.regions.size() - 1);
    }

    Entry entry;
    entry.name = w->objectName();
    entry.key = prefix + entry.name;
    entry.has_text = text.has_value();
    entry.text = text.value_or(QString());
    // As the component would be with the window shown: hidden when it or a
    // component holding it is hidden.
    entry.visible = w->isVisibleTo(&window);
    if (const auto* group = qobject_cast<const RadioGroup*>(w)) {
      entry.is_radio_group = true;
      entry.selected = group->itemIndex();
      const QStringList items = group->items();
      if (entry.selected >= 0 && entry.selected < items.size()) {
        entry.selected_item = items[entry.selected];
      }
    }
    if (const auto* slider = qobject_cast<const QAbstractSlider*>(w)) {
      entry.is_slider = true;
      entry.position = slider->value();
      entry.minimum = slider->minimum();
      entry.maximum = slider->maximum();
    }
    if (const auto* tabs = qobject_cast<const TabSet*>(w)) {
      entry.is_tab_set = true;
      entry.tabs = tabs->tabs();
    }
    added.regions[*found].entries.append(entry);
  }
  windows_.append(added);
}

QByteArray ComponentReport::Json() const {
  QJsonObject root;
  for (const Window& window : windows_) {
    for (const Region& region : window.regions) {
      for (const Entry& entry : region.entries) {
        QJsonObject shown{{QStringLiteral("visible"), entry.visible}};
        if (entry.has_text) shown.insert(QStringLiteral("text"), entry.text);
        if (entry.is_radio_group) shown.insert(QStringLiteral("selected"), entry.selected);
        if (entry.is_slider) {
          shown.insert(QStringLiteral("position"), entry.position);
          shown.insert(QStringLiteral("minimum"), entry.minimum);
          shown.insert(QStringLiteral("maximum"), entry.maximum);
        }
        if (entry.is_tab_set)
          shown.insert(QStringLiteral("tabs"), QJsonArray::fromStringList(entry.tabs));
        root.insert(entry.key, shown);
      }
    }
  }
  // QJsonObject keeps its keys sorted, which makes the output deterministic.
  return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QByteArray ComponentReport::Sheet() const {
  QString out;
  for (const Window& window : windows_) {
    if (!out.isEmpty()) out += u'\n';
    out += window.name + QStringLiteral("  ") + OneLine(window.title) + u'\n';
    qsizetype width = 0;
    for (const Region& region : window.regions) {
      for (const Entry& entry : region.entries) width = std::max(width, entry.name.size());
    }
    for (const Region& region : window.regions) {
      out += u'\n' + region.heading;
      if (!region.visible) out += QStringLiteral("  [hidden]");
      out += u'\n';
      for (const Entry& entry : region.entries) {
        QString line =
            QStringLiteral("  ") + entry.name.leftJustified(width) +
            (entry.visible ? QStringLiteral("          ") : QStringLiteral("  hidden  ")) +
            OneLine(SheetText(entry));
        if (entry.is_radio_group) {
          line += QStringLiteral("  [selected: ") +
                  (entry.selected < 0 ? QStringLiteral("none")
                                      : OneLine(entry.selected_item.trimmed())) +
                  u']';
        }
        // Padding only: a text's own trailing spaces are kept.
        if (SheetText(entry).isEmpty() && !entry.is_radio_group) {
          while (line.endsWith(u' ')) line.chop(1);
        }
        out += line + u'\n';
      }
    }
  }
  return out.toUtf8();
}

}  // namespace quillmere
