#include "report_components.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <algorithm>
#include <string_view>

#include "form_view.h"

namespace quillmere {
namespace {

QString FromView(std::string_view text) {
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// Keeps a sheet line on one line.
QString OneLine(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\\n"));
  text.replace(u'\n', QStringLiteral("\\n"));
  text.replace(u'\r', QStringLiteral("\\n"));
  return text;
}

}  // namespace

QList<ReportComponent> MainWindowComponents(const FormView& view) {
  using form::Kind;
  QList<ReportComponent> out;
  const auto table = form::Components();
  for (std::size_t i = 0; i < table.size(); ++i) {
    const form::FormComponent& c = table[i];
    if (c.kind == Kind::kWindow) continue;
    const FormView::Shown& shown = view.Of(i);
    ReportComponent r;
    r.name = FromView(c.name);
    r.parent = FromView(c.parent);
    r.shown = shown.visible;
    switch (c.kind) {
      case Kind::kPanel:
      case Kind::kLabel:
      case Kind::kClickableLabel:
      case Kind::kRadioGroup:
      case Kind::kColorButton:
      case Kind::kPushButton:
      case Kind::kMemo:
        r.text = QString::fromStdString(shown.text);
        break;
      default:
        break;
    }
    QStringList items;
    for (std::string_view item : c.items) items << FromView(item);
    if (c.kind == Kind::kRadioGroup) {
      r.is_radio_group = true;
      r.selected = shown.selected;
      r.items = items;
    } else if (c.kind == Kind::kScrollBar) {
      r.is_slider = true;
      r.position = shown.position;
      r.minimum = c.minimum;
      r.maximum = c.maximum;
    } else if (c.kind == Kind::kTabSet) {
      r.is_tab_set = true;
      r.tabs = items;
    }
    out.append(r);
  }
  return out;
}

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

void ComponentReport::AddWindow(const QString& name, const QString& title,
                                const QList<ReportComponent>& components,
                                const WindowRegions& regions) {
  Window added;
  added.name = name;
  added.title = title;
  const QString prefix = windows_.isEmpty() ? QString() : added.name + u'.';

  QHash<QString, const ReportComponent*> members;
  QSet<QString> containers;
  for (const ReportComponent& c : components) members.insert(c.name, &c);
  for (const ReportComponent& c : components) {
    if (members.contains(c.parent)) containers.insert(c.parent);
  }
  // The chain of components from the top-level one down to `c`.
  const auto chain_of = [&members](const ReportComponent& c) {
    QList<const ReportComponent*> chain;
    for (const ReportComponent* p = &c; p != nullptr; p = members.value(p->parent)) {
      chain.prepend(p);
    }
    return chain;
  };
  // As the component would be with the window shown: hidden when it or a
  // component holding it is hidden.
  const auto visible = [&chain_of](const ReportComponent& c) {
    for (const ReportComponent* p : chain_of(c)) {
      if (!p->shown) return false;
    }
    return true;
  };
  // The component whose region `c` lies in: its top-level component, or,
  // below the holder of the regions, the holder's child that holds `c`, if
  // that child holds components of its own.
  const auto region_of = [&](const ReportComponent& c) {
    const QList<const ReportComponent*> chain = chain_of(c);
    const ReportComponent* top = chain.front();
    if (regions.holder.isEmpty() || top->name != regions.holder || chain.size() < 2) return top;
    return containers.contains(chain[1]->name) ? chain[1] : top;
  };

  QHash<QString, qsizetype> region_index;
  for (const ReportComponent& c : components) {
    const ReportComponent* region_component = region_of(c);
    auto found = region_index.constFind(region_component->name);
    if (found == region_index.cend()) {
      const QString heading = regions.headings.value(region_component->name);
      Region region;
      region.heading = heading.isEmpty()
                           ? region_component->name
                           : heading + QStringLiteral(" (") + region_component->name + u')';
      region.visible = visible(*region_component);
      added.regions.append(region);
      found = region_index.insert(region_component->name, added.regions.size() - 1);
    }

    Entry entry;
    entry.name = c.name;
    entry.key = prefix + entry.name;
    entry.has_text = c.text.has_value();
    entry.text = c.text.value_or(QString());
    entry.visible = visible(c);
    if (c.is_radio_group) {
      entry.is_radio_group = true;
      entry.selected = c.selected;
      if (entry.selected >= 0 && entry.selected < c.items.size()) {
        entry.selected_item = c.items[entry.selected];
      }
    }
    if (c.is_slider) {
      entry.is_slider = true;
      entry.position = c.position;
      entry.minimum = c.minimum;
      entry.maximum = c.maximum;
    }
    if (c.is_tab_set) {
      entry.is_tab_set = true;
      entry.tabs = c.tabs;
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
