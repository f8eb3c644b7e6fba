// quillmere-form-table FORM.ui OUT.h
//
// Reads the main window's Qt Designer form and writes a C++ header of plain
// constants: quillmere::component::<Name> for every named component, so that
// a misspelt name fails to compile, and quillmere::form::kComponents, one row
// per component in the form's order (parents before their children): kind,
// parent, caption at design, hint, visibility at design, radio items and
// columns, the tabs of a tab strip, slider range and position. The header
// needs no Qt.
#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QList>
#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <cstdio>

namespace {

struct Widget {
  QString name, kind, parent, caption, hint;
  bool visible = true;
  QStringList items;
  int columns = 0, minimum = 0, maximum = 0, position = 0;
};

// The form's classes and the kind each is to the calculation. Scroll
// machinery (the central widget, the scroll area and its client) is left
// out: nothing is written to it.
const QHash<QString, QString>& Kinds() {
  static const QHash<QString, QString> kinds = {
      {"QMainWindow", "kWindow"},
      {"quillmere::Panel", "kPanel"},
      {"QLabel", "kLabel"},
      {"quillmere::ClickableLabel", "kClickableLabel"},
      {"quillmere::RadioGroup", "kRadioGroup"},
      {"quillmere::SpinButton", "kSpinButton"},
      {"quillmere::ColorButton", "kColorButton"},
      {"QPushButton", "kPushButton"},
      {"QScrollBar", "kScrollBar"},
      {"quillmere::TabSet", "kTabSet"},
      {"QPlainTextEdit", "kMemo"},
  };
  return kinds;
}

// The property that holds each kind's caption.
QString CaptionProperty(const QString& kind) {
  if (kind == "kWindow") return "windowTitle";
  if (kind == "kPanel") return "caption";
  if (kind == "kRadioGroup") return "title";
  if (kind == "kMemo") return "plainText";
  return "text";
}

// A C++ string literal of UTF-8 text.
QByteArray Literal(const QString& text) {
  QByteArray out = "\"";
  for (char c : text.toUtf8()) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out += c;
    }
  }
  return out + "\"";
}

// Reads the value of the <property> the reader stands on: a string, a
// number, a bool or a string list; anything else is skipped.
void ReadProperty(QXmlStreamReader& xml, Widget& w, const QString& caption_property) {
  const QString name = xml.attributes().value("name").toString();
  QString text;
  QStringList list;
  QString type;
  while (xml.readNextStartElement()) {
    type = xml.name().toString();
    if (type == "stringlist") {
      while (xml.readNextStartElement()) list << xml.readElementText();
    } else if (type == "string" || type == "number" || type == "bool") {
      text = xml.readElementText();
    } else {
      xml.skipCurrentElement();
    }
  }
  if (name == caption_property) w.caption = text;
  if (name == "toolTip") w.hint = text;
  if (name == "visible") w.visible = text != "false";
  if (name == "items" || name == "tabs") w.items = list;
  if (name == "columns") w.columns = text.toInt();
  if (name == "minimum") w.minimum = text.toInt();
  if (name == "maximum") w.maximum = text.toInt();
  if (name == "value") w.position = text.toInt();
}

bool ReadWidget(QXmlStreamReader& xml, const QString& parent, QList<Widget>& out, QString& error) {
  const QString cls = xml.attributes().value("class").toString();
  const QString name = xml.attributes().value("name").toString();
  const bool scroll_machinery = cls == "QWidget" || cls == "QScrollArea";
  qsizetype index = -1;
  if (!scroll_machinery) {
    if (!Kinds().contains(cls)) {
      error = "component " + name + " is of a class the table does not know: " + cls;
      return false;
    }
    Widget w;
    w.name = name;
    w.kind = Kinds().value(cls);
    w.parent = parent;
    index = out.size();
    out.append(w);
  }
  const QString caption_property = index >= 0 ? CaptionProperty(out[index].kind) : QString();
  while (xml.readNextStartElement()) {
    if (xml.name() == QLatin1String("property") && index >= 0) {
      ReadProperty(xml, out[index], caption_property);
    } else if (xml.name() == QLatin1String("widget")) {
      if (!ReadWidget(xml, name, out, error)) return false;
    } else if (xml.name() == QLatin1String("layout") || xml.name() == QLatin1String("item")) {
      // A layout's items hold widgets of the same parent.
      while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("item")) {
          while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("widget")) {
              if (!ReadWidget(xml, name, out, error)) return false;
            } else {
              xml.skipCurrentElement();
            }
          }
        } else {
          xml.skipCurrentElement();
        }
      }
    } else {
      xml.skipCurrentElement();
    }
  }
  return true;
}

QByteArray Header(const QList<Widget>& widgets) {
  QByteArray h;
  h += "#pragma once\n";
  h += "// Generated from tform1.ui by quillmere-form-table; edit the form, not this.\n\n";
  h += "#include <string_view>\n\n#include \"form_component.h\"\n\n";
  h += "namespace quillmere {\n\n";
  h += "// The name of every component of the main window.\nnamespace component {\n";
  for (const Widget& w : widgets) {
    h += "inline constexpr std::string_view " + w.name.toUtf8() + " = " + Literal(w.name) + ";\n";
  }
  h += "}  // namespace component\n\nnamespace form {\nnamespace items {\n";
  for (const Widget& w : widgets) {
    if (w.items.isEmpty()) continue;
    h += "inline constexpr std::string_view " + w.name.toUtf8() + "[] = {";
    for (qsizetype i = 0; i < w.items.size(); ++i) h += (i ? ", " : "") + Literal(w.items[i]);
    h += "};\n";
  }
  h += "}  // namespace items\n\n";
  h += "// Every component, parents before their children, in the form's order.\n";
  h += "inline constexpr FormComponent kComponents[] = {\n";
  for (const Widget& w : widgets) {
    h += "    {component::" + w.name.toUtf8() + ", Kind::" + w.kind.toUtf8() + ", " +
         Literal(w.parent) + ", " + Literal(w.caption) + ", " + Literal(w.hint) + ", " +
         (w.visible ? "true" : "false") + ", " +
         (w.items.isEmpty() ? QByteArray("{}") : "items::" + w.name.toUtf8()) + ", " +
         QByteArray::number(w.columns) + ", " + QByteArray::number(w.minimum) + ", " +
         QByteArray::number(w.maximum) + ", " + QByteArray::number(w.position) + "},\n";
  }
  h += "};\n\n}  // namespace form\n}  // namespace quillmere\n";
  return h;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: quillmere-form-table FORM.ui OUT.h\n");
    return 2;
  }
  QFile in(QString::fromLocal8Bit(argv[1]));
  if (!in.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "quillmere-form-table: cannot read %s\n", argv[1]);
    return 1;
  }
  QXmlStreamReader xml(&in);
  QList<Widget> widgets;
  QString error;
  if (xml.readNextStartElement() && xml.name() == QLatin1String("ui")) {
    while (xml.readNextStartElement()) {
      if (xml.name() == QLatin1String("widget")) {
        if (!ReadWidget(xml, QString(), widgets, error)) break;
      } else {
        xml.skipCurrentElement();
      }
    }
  }
  if (error.isEmpty() && xml.hasError()) error = xml.errorString();
  if (error.isEmpty() && widgets.isEmpty()) error = "no components";
  if (!error.isEmpty()) {
    std::fprintf(stderr, "quillmere-form-table: %s: %s\n", argv[1], qPrintable(error));
    return 1;
  }
  QSaveFile out(QString::fromLocal8Bit(argv[2]));
  if (!out.open(QIODevice::WriteOnly) || out.write(Header(widgets)) < 0 || !out.commit()) {
    std::fprintf(stderr, "quillmere-form-table: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
