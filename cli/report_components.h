#pragma once
// What a window shows, as text: the caption of every panel, the text of every
// label, button and text box, the title of every radio group, the position
// of every slider and the tabs of the tab strip, with whether the user would
// see it. quillmere-report prints it as a JSON object or as a sheet to read.
// It is built from data (the form's table and what the calculation wrote),
// with no window at all: Qt Core only.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace quillmere {

class FormView;

// How the components of one window are grouped on the sheet.
struct WindowRegions {
  // A component that only holds the window's regions (the main window's
  // top-level panel): each of its children that holds components of its own
  // is a region; its other children stay in its own group.
  QString holder;
  // A readable heading per region, by the region's component name.
  QHash<QString, QString> headings;
};

// One component as the report sees it.
struct ReportComponent {
  QString name;
  QString parent;               // empty, or a component not in the window's list
  std::optional<QString> text;  // only where the component shows one
  bool shown = true;            // not hidden itself (its parents may be)
  bool is_radio_group = false;
  int selected = -1;
  QStringList items;
  bool is_slider = false;
  int position = 0, minimum = 0, maximum = 0;
  bool is_tab_set = false;
  QStringList tabs;
};

// The main window's components, parents before their children, as `view`
// shows them.
QList<ReportComponent> MainWindowComponents(const FormView& view);

class ComponentReport {
 public:
  // Adds a window's components, given parents before their children (the
  // form's order). The first window added is keyed by bare component names;
  // every later window by "<window name>.<component name>", as two forms may
  // well name their controls alike.
  void AddWindow(const QString& name, const QString& title,
                 const QList<ReportComponent>& components, const WindowRegions& regions = {});

  // One JSON object, keys sorted: {"<key>": {"text": ..., "visible": ...}}
  // ("text" only where the component shows one); radio groups also give
  // "selected", the index of the selected item (-1 for none); sliders
  // "position", "minimum" and "maximum"; the tab strip "tabs". UTF-8,
  // indented, ending with a newline.
  QByteArray Json() const;

  // Every window's title, then its components in the form's order, grouped
  // by region; hidden components marked. UTF-8.
  QByteArray Sheet() const;

 private:
  struct Entry {
    QString key;
    QString name;
    QString text;
    bool has_text = false;
    bool visible = true;
    bool is_radio_group = false;
    int selected = -1;
    QString selected_item;
    bool is_slider = false;
    int position = 0;
    int minimum = 0;
    int maximum = 0;
    bool is_tab_set = false;
    QStringList tabs;
  };
  // What the sheet shows after the component's name.
  static QString SheetText(const Entry& entry);
  struct Region {
    QString heading;
    bool visible = true;
    QList<Entry> entries;
  };
  struct Window {
    QString name;
    QString title;
    QList<Region> regions;
  };

  QList<Window> windows_;
};

}  // namespace quillmere
