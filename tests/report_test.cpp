// quillmere-report run as a user would run it: a child process in an empty
// folder, no display, the C locale. Its JSON for a known data file and moment
// against the committed report, the Moon figures against the physics of that
// moment, the sheet, the failures and the exit statuses, and that it leaves
// every folder as it found it.
//
// How the committed report was made and checked by hand:
// tests/data/report/README.md.

#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <numbers>

namespace {

const QString kTool = QStringLiteral(QUILLMERE_REPORT_TOOL);
const QString kRecords = QStringLiteral(QUILLMERE_TEST_DATA "/records");
const QString kExpected = QStringLiteral(QUILLMERE_TEST_DATA "/report/typical-2026-12-07T08.json");
const QString kMoment = QStringLiteral("2026-12-07T08:00:00");

// Texts that follow the Moon's distance at the moment given, which the
// sun/moon component works out; they are checked against the physics of that
// moment rather than character for character.
const QSet<QString> kMoonTexts = {QStringLiteral("Panel14"), QStringLiteral("Panel34"),
                                  QStringLiteral("Panel114")};

// Frequency of the 10 GHz band, Hz, that typical.dat selects.
constexpr double kBandHz = 10.368e9;
constexpr double kSpeedOfLight = 299792458.0;  // m/s
// The Moon's distance from the Earth's centre stays within these, km.
constexpr double kPerigeeKm = 356000.0, kApogeeKm = 407000.0;

struct Run {
  int exit_code = -1;
  QByteArray out;
  QByteArray err;
};

QJsonObject ParseObject(const QByteArray& bytes) {
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
  return doc.isObject() ? doc.object() : QJsonObject();
}

QString Text(const QJsonObject& report, const QString& name) {
  return report.value(name).toObject().value(QStringLiteral("text")).toString();
}

bool Visible(const QJsonObject& report, const QString& name) {
  return report.value(name).toObject().value(QStringLiteral("visible")).toBool();
}

QStringList FolderListing(const QString& path) {
  return QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                              QDir::Name);
}

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The number of decimals a figure is written with.
int Decimals(const QString& figure) {
  const qsizetype point = figure.indexOf(u'.');
  return point < 0 ? 0 : int(figure.size() - point - 1);
}

}  // namespace

class ReportTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(data_.isValid());
    QVERIFY(home_.isValid());
    // The tool reads copies, so that nothing it might do can reach the
    // source tree.
    for (const char* name : {"typical.dat", "damaged.dat"}) {
      QVERIFY(QFile::copy(kRecords + u'/' + QLatin1String(name), Data(name)));
    }
    for (const char* folder : {"config", "cache", "share", "runtime"}) {
      QVERIFY(QDir(home_.path()).mkpath(QLatin1String(folder)));
    }
    QVERIFY(QFile::setPermissions(home_.filePath(QStringLiteral("runtime")),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    data_listing_ = FolderListing(data_.path());

    Report({QStringLiteral("--json"), QStringLiteral("--data"), Data("typical.dat"),
            QStringLiteral("--utc"), kMoment},
           typical_);
    QCOMPARE(typical_.exit_code, 0);
    report_ = ParseObject(typical_.out);
    QVERIFY2(!report_.isEmpty(), typical_.out.constData());
  }

  // --- The report of a known data file at a known moment ---

  void everyTextButTheMoonsIsAsCommitted() {
    const QJsonObject expected = ParseObject(FileBytes(kExpected));
    QVERIFY(!expected.isEmpty());
    QCOMPARE(report_.keys(), expected.keys());
    for (const QString& name : expected.keys()) {
      QJsonObject shown = report_.value(name).toObject();
      QJsonObject committed = expected.value(name).toObject();
      if (kMoonTexts.contains(name)) {
        shown.remove(QStringLiteral("text"));
        committed.remove(QStringLiteral("text"));
      }
      QCOMPARE(name + u' ' + QJsonDocument(shown).toJson(QJsonDocument::Compact),
               name + u' ' + QJsonDocument(committed).toJson(QJsonDocument::Compact));
    }
  }

  void startUpOfAGoodFileSaysNothing() {
    QVERIFY2(!typical_.err.contains("warning:"), typical_.err.constData());
    QVERIFY2(!typical_.err.contains("error:"), typical_.err.constData());
    QVERIFY2(!typical_.err.contains("information:"), typical_.err.constData());
  }

  // Entries known from the records' hand check, as a second reference beside
  // the committed file: the fields given, as the report holds them.
  void knownEntries_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QJsonObject>("fields");
    const auto row = [](const char* what, const char* name, QJsonObject fields) {
      QTest::newRow(what) << QString::fromLatin1(name) << fields;
    };
    const auto shown = [&](const char* what, const char* name, const char* text, bool visible) {
      row(what, name, {{"text", QString::fromUtf8(text)}, {"visible", visible}});
    };
    shown("Home temperature", "Panel3", "15°c ", true);
    shown("Home dry-air specific attenuation", "Panel6", "0.008 db km", true);
    shown("Home slant attenuation at 30°", "Panel19", "0.103 dB", true);
    shown("DX rain, 10 mm/h vertical", "Panel89", "0.185 dB/km", true);
    shown("Moon distance of the slider", "Label96", "384560.0 kms", true);
    shown("Home reference temperature at 120 m", "Panel38", "21 °c", true);
    shown("Home EME block", "Panel23", "", true);
    shown("DX EME block", "Panel2", "", true);
    shown("combined losses", "Panel121", "", true);
    shown("Reset to Current Distance", "ColorButton4", "Reset to Current Distance", true);
    shown("EME not selected", "Panel126", "", false);
    shown("its Select button, inside it", "Panel128", " Select", false);
    shown("decimals list, closed", "DisplayAccuracy", "Display accuracy [Decimal points]", false);
    shown("help delay list, closed", "ScreenDelaySelect", "On Screen Help delay", false);
    shown("Home latitude panel, closed", "Panel45", "", false);
    shown("DX latitude panel, closed", "Panel117", "", false);
    shown("cloud notes, closed", "Panel42", "", false);
    // Radio groups give their selected item, -1 for none.
    row("10 GHz band", "FreqSelect", {{"selected", 0}});
    row("Home circular", "PolarisationSelectA", {{"selected", 2}});
    row("DX 10 mm/h", "RainSelectB", {{"selected", 3}});
    row("3 decimals", "DisplayAccuracy", {{"selected", 2}});
    row("no map chosen", "PercentageDisplay", {{"selected", -1}});
    // Components without text are listed too.
    row("Home cloud slider at 0.2 kg/m2", "CloudSelectA", {{"position", 2}});
    row("DX cloud slider at 1.0 kg/m2", "CloudSelectB", {{"position", 10}});
    row("cloud slider from 0", "CloudSelectB", {{"minimum", 0}});
    row("cloud slider to 4.0 kg/m2", "CloudSelectA", {{"maximum", 40}});
    row("moon slider to apogee", "ScrollBar1", {{"maximum", 100}});
    row("the tab strip's tabs", "TabSet2",
        {{"tabs", QJsonArray({"Help", "About", "Exit", "Planner", "Spectrum"})}});
    row("a stepper, shown", "TempButtonA", {{"visible", true}});
    row("an EME-block stepper, shown in EME mode", "ElevationButtonB1", {{"visible", true}});
    row("the notes, hidden with their panel", "Memo1", {{"visible", false}});
    row("the notes panel's Close", "Button5", {{"text", "Close"}});
  }
  void knownEntries() {
    QFETCH(QString, name);
    QFETCH(QJsonObject, fields);
    QVERIFY2(report_.contains(name), qPrintable(name));
    const QJsonObject entry = report_.value(name).toObject();
    // Compared as JSON text, so that a failure shows both values.
    const auto json = [](const QString& field, const QJsonValue& value) {
      return QString::fromUtf8(
          QJsonDocument(QJsonObject{{field, value}}).toJson(QJsonDocument::Compact));
    };
    for (const QString& field : fields.keys())
      QCOMPARE(json(field, entry.value(field)), json(field, fields.value(field)));
  }

  // Every entry says whether it is visible, and carries exactly the fields
  // of its kind: a text where the component shows one, a radio group's
  // selection, a slider's range, the tab strip's tabs.
  void everyEntryCarriesTheFieldsOfItsKind() {
    static const QSet<QString> kSliders = {"CloudSelectA", "CloudSelectB", "ScrollBar1"};
    for (const QString& name : report_.keys()) {
      const QJsonObject shown = report_.value(name).toObject();
      QVERIFY2(shown.value(QStringLiteral("visible")).isBool(), qPrintable(name));
      QStringList fields = shown.keys();
      fields.removeOne(QStringLiteral("visible"));
      if (kSliders.contains(name)) {
        QCOMPARE(fields, QStringList({"maximum", "minimum", "position"}));
      } else if (name == QStringLiteral("TabSet2")) {
        QCOMPARE(fields, QStringList({"tabs"}));
      } else if (!shown.contains(QStringLiteral("text"))) {
        QVERIFY2(fields.isEmpty(), qPrintable(name));  // a stepper: nothing to show
      } else if (shown.contains(QStringLiteral("selected"))) {
        QCOMPARE(fields, QStringList({"selected", "text"}));
      } else {
        QVERIFY2(shown.value(QStringLiteral("text")).isString(), qPrintable(name));
        QCOMPARE(fields.size(), qsizetype(1));
      }
    }
  }

  void theNotesGiveTheirThirteenLines() {
    const QStringList lines = Text(report_, QStringLiteral("Memo1")).split(u'\n');
    QCOMPARE(lines.size(), qsizetype(13));
    QCOMPARE(lines.front(), QStringLiteral(" Reference ITU P.840-4"));
    QCOMPARE(lines.back(),
             QStringLiteral("               Save the default Data value (if desired)."));
  }

  // The moon texts, loosely: the sun/moon component is refined apart from
  // this tool, and its distance may move by a few km.
  void theEmePathLengthIsAMoonDistance() {
    static const QRegularExpression kKm(QStringLiteral("^(\\d+\\.\\d) km$"));
    const QRegularExpressionMatch m = kKm.match(Text(report_, QStringLiteral("Panel14")));
    QVERIFY2(m.hasMatch(), qPrintable(Text(report_, QStringLiteral("Panel14"))));
    const double km = m.captured(1).toDouble();
    QVERIFY2(km >= kPerigeeKm && km <= kApogeeKm, qPrintable(m.captured(0)));
  }

  void theFreeSpaceLossIsThatOfTheMoonDistanceShown() {
    const QString distance = Text(report_, QStringLiteral("Panel14"));
    const QString loss = Text(report_, QStringLiteral("Panel34"));
    QVERIFY2(loss.endsWith(QStringLiteral(" dB")), qPrintable(loss));
    const double km = distance.section(u' ', 0, 0).toDouble();
    const QString figure = loss.section(u' ', 0, 0);
    // Free-space loss 20 log10(4 pi d f / c), dB.
    const double expected =
        20.0 * std::log10(4.0 * std::numbers::pi * km * 1e3 * kBandHz / kSpeedOfLight);
    // Half a unit in the last decimal shown, and what the distance's own
    // rounding to 0.05 km can move the loss by.
    const double tolerance =
        0.5 * std::pow(10.0, -Decimals(figure)) + 20.0 / std::log(10.0) * 0.05 / km;
    QVERIFY2(std::abs(figure.toDouble() - expected) <= tolerance,
             qPrintable(loss + QStringLiteral(" for ") + distance));
  }

  void theMoonLineIsThatOfTheMoment() {
    // "Current ... Path Loss <dB> dB  Moon Diam .. <deg>°   Moon Phase ..
    // <fraction> °  <degrees>°  <percent>%"
    static const QRegularExpression kLine(QString::fromUtf8(
        "^Current \\.\\.\\. Path Loss (\\d+\\.\\d\\d) dB  Moon Diam \\.\\. (\\d\\.\\d\\d)°   "
        "Moon Phase \\.\\. (\\d\\.\\d\\d\\d) °  (\\d+)°  (\\d+\\.\\d)%$"));
    const QString line = Text(report_, QStringLiteral("Panel114"));
    const QRegularExpressionMatch m = kLine.match(line);
    QVERIFY2(m.hasMatch(), qPrintable(line));
    const double loss = m.captured(1).toDouble();
    const double diameter = m.captured(2).toDouble();
    const double phase = m.captured(3).toDouble();
    // An EME path loss at any Moon distance, on any amateur band.
    QVERIFY2(loss > 240.0 && loss < 310.0, qPrintable(line));
    // 2 asin(1737.4 km / d) between apogee and perigee: 0.49° to 0.56°.
    QVERIFY2(diameter >= 0.49 && diameter <= 0.57, qPrintable(line));
    // On 2026-12-07 at 08:00 UTC the Moon stands 341.2° east of the Sun in
    // ecliptic longitude (Meeus, Astronomical Algorithms, ch. 25 and 47,
    // worked by hand): a waning crescent, 0.948 of the way round, two
    // days before new Moon. It moves about 0.0014 of the way per hour.
    QVERIFY2(std::abs(phase - 0.948) <= 0.003, qPrintable(line));
    // The three phase figures are the one phase, each rounded its own way.
    QVERIFY2(std::abs(m.captured(4).toDouble() - phase * 360.0) <= 0.5 + 0.0005 * 360.0,
             qPrintable(line));
    QVERIFY2(std::abs(m.captured(5).toDouble() - phase * 100.0) <= 0.05 + 0.0005 * 100.0,
             qPrintable(line));
  }

  void theSameMomentGivesTheSameReport() {
    Run again;
    Report({QStringLiteral("--json"), QStringLiteral("--data"), Data("typical.dat"),
            QStringLiteral("--utc"), kMoment},
           again);
    QCOMPARE(again.exit_code, 0);
    QCOMPARE(again.out, typical_.out);
  }

  void anotherMomentMovesOnlyTheMoon() {
    Run later;
    Report({QStringLiteral("--json"), QStringLiteral("--data"), Data("typical.dat"),
            QStringLiteral("--utc"), QStringLiteral("2026-12-20T08:00:00")},
           later);
    QCOMPARE(later.exit_code, 0);
    const QJsonObject moved = ParseObject(later.out);
    QCOMPARE(moved.keys(), report_.keys());
    for (const QString& name : report_.keys()) {
      const bool same = moved.value(name) == report_.value(name);
      QVERIFY2(same != kMoonTexts.contains(name), qPrintable(name));
    }
  }

  void optionsTakeTheirValueAfterAnEqualsSignToo() {
    Run spelled;
    Report({QStringLiteral("--utc=") + kMoment, QStringLiteral("--data=") + Data("typical.dat"),
            QStringLiteral("--json")},
           spelled);
    QCOMPARE(spelled.exit_code, 0);
    QCOMPARE(spelled.out, typical_.out);
  }

  // --- The sheet ---

  void theSheetShowsEveryComponentOnceByRegion() {
    Run sheet;
    Report({QStringLiteral("--data"), Data("typical.dat"), QStringLiteral("--utc"), kMoment},
           sheet);
    QCOMPARE(sheet.exit_code, 0);
    const QStringList lines = QString::fromUtf8(sheet.out).split(u'\n');
    QVERIFY(
        lines.front().startsWith(QStringLiteral("Form1  Quillmere Absorbtion Attenuation Ver ")));

    // Panel14's line: its name, then its text as the JSON gives it.
    const QRegularExpression panel14(
        QStringLiteral("^  Panel14 +") +
        QRegularExpression::escape(Text(report_, QStringLiteral("Panel14"))) + u'$');
    QCOMPARE(lines.filter(panel14).size(), 1);

    // Every component once, in a line of its own; hidden ones marked.
    // The components of a later window are keyed "<window>.<name>".
    QHash<QString, QString> line_of;
    QString prefix;
    for (const QString& line : lines) {
      if (line.startsWith(QStringLiteral("Form"))) {
        const QString window = line.section(u' ', 0, 0);
        prefix = window == QStringLiteral("Form1") ? QString() : window + u'.';
      }
      if (!line.startsWith(QStringLiteral("  "))) continue;
      const QString name = prefix + line.section(u' ', 2, 2);
      QVERIFY2(!line_of.contains(name), qPrintable(line));
      line_of.insert(name, line);
    }
    const QStringList names = report_.keys();
    QCOMPARE(QSet<QString>(line_of.keyBegin(), line_of.keyEnd()),
             QSet<QString>(names.begin(), names.end()));
    for (const QString& name : report_.keys()) {
      const bool marked = line_of.value(name).mid(2).section(u' ', 1).trimmed().startsWith(
          QStringLiteral("hidden"));
      QVERIFY2(marked == !Visible(report_, name), qPrintable(line_of.value(name)));
    }
    QVERIFY(line_of.value(QStringLiteral("FreqSelect"))
                .endsWith(QStringLiteral("Frequency  [selected: 10 GHz]")));

    // The regions in the window's order, each with the components it holds.
    const QStringList headings = lines.filter(QRegularExpression(QStringLiteral("^\\S.*\\(")));
    const QStringList regions = {"Panel1", "Panel49",  "Panel15", "Panel90", "Panel46", "Panel23",
                                 "Panel2", "Panel126", "Panel45", "Panel42", "Panel121"};
    QCOMPARE(headings.size(), regions.size());
    for (qsizetype i = 0; i < regions.size(); ++i) {
      QVERIFY2(headings[i].contains(u'(' + regions[i] + u')'), qPrintable(headings[i]));
    }
    QVERIFY(headings[7].endsWith(QStringLiteral("[hidden]")));
    const auto region_of = [&](const QString& name) {
      QString heading;
      for (const QString& line : lines) {
        if (!line.isEmpty() && !line.startsWith(u' ')) heading = line;
        if (line.startsWith(QStringLiteral("  ") + name + u' ') || line == "  " + name) {
          return heading;
        }
      }
      return QString();
    };
    QVERIFY(region_of(QStringLiteral("Panel14")).contains(QStringLiteral("(Panel15)")));
    QVERIFY(region_of(QStringLiteral("Panel117")).contains(QStringLiteral("(Panel46)")));
    QVERIFY(region_of(QStringLiteral("Panel120")).contains(QStringLiteral("(Panel121)")));
    QVERIFY(region_of(QStringLiteral("ColorButton1")).contains(QStringLiteral("(Panel1)")));
    QVERIFY(lines.indexOf(line_of.value(QStringLiteral("Label8"))) <
            lines.indexOf(line_of.value(QStringLiteral("Panel14"))));
    QVERIFY(lines.indexOf(line_of.value(QStringLiteral("Panel14"))) <
            lines.indexOf(line_of.value(QStringLiteral("Panel34"))));
  }

  // --- The data file: found, not found, damaged ---

  void theDefaultDataFileIsTheOneInTheCurrentFolder() {
    Run run;
    Report({QStringLiteral("--json"), QStringLiteral("--utc"), kMoment}, run,
           FileBytes(Data("typical.dat")));
    QCOMPARE(run.exit_code, 0);
    QCOMPARE(run.out, typical_.out);
  }

  void aDataFileThatCannotBeReadGivesTheStartStateAndFails_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no such file") << QStringList{QStringLiteral("--data"), Data("absent.dat")}
                                  << QStringLiteral("absent.dat: No such file or directory");
    QTest::newRow("a folder") << QStringList{QStringLiteral("--data"), data_.path()}
                              << QStringLiteral(": it is a folder, not a file");
    // Read at once and refused, not read for ever.
    QTest::newRow("the endless device /dev/zero")
        << QStringList{QStringLiteral("--data"), QStringLiteral("/dev/zero")}
        << QStringLiteral("/dev/zero: it is a device, not a file");
    QTest::newRow("no Quillmere.dat in the current folder")
        << QStringList{} << QStringLiteral("Quillmere.dat: No such file or directory");
  }
  void aDataFileThatCannotBeReadGivesTheStartStateAndFails() {
    QFETCH(QStringList, args);
    QFETCH(QString, reason);
    Run run;
    Report(args << QStringLiteral("--json") << QStringLiteral("--utc") << kMoment, run);
    QCOMPARE(run.exit_code, 1);
    QVERIFY2(run.err.contains("\nquillmere-report: Could not read "), run.err.constData());
    QVERIFY2(QString::fromUtf8(run.err).contains(reason), run.err.constData());
    // Every component of a good report, each with a figure or its own text,
    // none with its design-time name.
    const QJsonObject start = ParseObject(run.out);
    QCOMPARE(start.keys(), report_.keys());
    for (const QString& name : start.keys()) {
      const QString text = Text(start, name);
      QVERIFY2(text != name.section(u'.', -1),
               qPrintable(name + QStringLiteral(" shows its name")));
      QVERIFY2(!text.contains(QLatin1String("nan")) && !text.contains(QLatin1String("inf")),
               qPrintable(name + QStringLiteral(": ") + text));
    }
    QCOMPARE(Text(start, QStringLiteral("Panel3")), QStringLiteral("0\u00b0c "));
    QCOMPARE(Text(start, QStringLiteral("Panel16")), QStringLiteral("via a 0.0 km path."));
  }

  void anUnreadableDataFileFails() {
    if (::geteuid() == 0) QSKIP("root reads every file");
    const QString locked = Data("locked.dat");
    QVERIFY(QFile::copy(Data("typical.dat"), locked));
    QVERIFY(QFile::setPermissions(locked, QFile::WriteOwner));
    data_listing_ = FolderListing(data_.path());
    Run run;
    Report({QStringLiteral("--data"), locked}, run);
    QCOMPARE(run.exit_code, 1);
    QVERIFY2(run.err.contains("Permission denied"), run.err.constData());
  }

  void valuesOutOfRangeAreReportedButNotAFailure() {
    Run run;
    Report({QStringLiteral("--json"), QStringLiteral("--data"), Data("damaged.dat"),
            QStringLiteral("--utc"), kMoment},
           run);
    QCOMPARE(run.exit_code, 0);
    QVERIFY2(run.err.contains("warning: The default Data File \""), run.err.constData());
    QVERIFY2(run.err.contains("holds values out of range"), run.err.constData());
    const QJsonObject damaged = ParseObject(run.out);
    QCOMPARE(damaged.keys(), report_.keys());
    static const QRegularExpression kNotANumber(QStringLiteral("\\b(nan|inf|infinity)\\b"),
                                                QRegularExpression::CaseInsensitiveOption);
    for (const QString& name : damaged.keys()) {
      QVERIFY2(!kNotANumber.match(Text(damaged, name)).hasMatch(),
               qPrintable(name + QStringLiteral(": ") + Text(damaged, name)));
    }
  }

  // --- Options ---

  // Bad arguments of each command: exit status 2, nothing printed, and the
  // complaint on standard error (with the usage, where the command gives it).
  // A readable data file comes first, so that only the arguments can fail.
  void badArgumentsExitTwo_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("complaint");
    QTest::addColumn<QString>("usage");
    const QStringList report = {"--data", Data("typical.dat")};
    const QStringList track = QStringList{"--track"} + report;
    const QString report_usage = QStringLiteral("\nusage: quillmere-report [--data FILE]");
    const QString exact_usage = QStringLiteral("--spectrum --station home|dx");
    const auto row = [](const char* what, const QStringList& command, QStringList args,
                        const char* complaint, const QString& usage) {
      QTest::newRow(what) << command + args << QString::fromUtf8(complaint) << usage;
    };
    const auto bad_option = [&](const char* what, QStringList args, const char* complaint) {
      row(what, report, std::move(args), complaint, report_usage);
    };
    bad_option("an unknown option", {"--verbose"}, "unknown option \"--verbose\"");
    bad_option("a stray argument", {"typical.dat"}, "unexpected argument \"typical.dat\"");
    bad_option("Qt's own options are not ours", {"-platform", "xcb"},
               "unknown option \"-platform\"");
    bad_option("a flag given a value", {"--json=yes"}, "unknown option \"--json=yes\"");
    bad_option("--utc with a space", {"--utc", "2026-12-07 08:00:00"}, "--utc wants a UTC moment");
    bad_option("--utc with a zone", {"--utc", "2026-12-07T08:00:00Z"}, "--utc wants a UTC moment");
    bad_option("--utc on a leap second", {"--utc", "2016-12-31T23:59:60"},
               "--utc wants a UTC moment");
    bad_option("--utc on 29 February 2027", {"--utc", "2027-02-29T00:00:00"},
               "--utc wants a UTC moment");
    bad_option("--utc without a value", {"--utc"}, "--utc needs a value");
    bad_option("--data without a value", {"--data"}, "--data needs a value");
    bad_option("--data with an empty name", {"--data="}, "--data needs a file name");

    const auto bad_exact = [&](const char* what, QStringList args, const char* complaint) {
      row(what, report, std::move(args), complaint, exact_usage);
    };
    bad_exact("no station", {"--slant", "--ghz", "24", "--elevations", "5"}, "--station home or");
    bad_exact("a station that is neither", {"--slant", "--station", "moon", "--ghz", "24"},
              "--station wants home or dx");
    bad_exact("both commands at once", {"--slant", "--spectrum", "--station", "home"},
              "give one of");
    bad_exact("a spectrum without its step",
              {"--spectrum", "--station", "home", "--from-ghz", "1", "--to-ghz", "2"},
              "--spectrum needs");
    bad_exact("an elevation beyond the nadir",
              {"--slant", "--station", "dx", "--ghz", "24", "--elevations", "5,-91"},
              "--elevations wants");
    bad_exact("a weather of two numbers",
              {"--spectrum", "--station", "home", "--from-ghz", "1", "--to-ghz", "2", "--step-ghz",
               "1", "--weather", "1013,288"},
              "--weather wants P,T,RHO");
    bad_exact(
        "an unknown profile",
        {"--slant", "--station", "home", "--ghz", "24", "--elevations", "5", "--profile", "arctic"},
        "--profile wants station or global");
    bad_exact("a window option among them",
              {"--slant", "--station", "home", "--ghz", "24", "--elevations", "5", "--utc", "x"},
              "unknown option \"--utc\"");
    bad_exact("an exact-method value missing", {"--slant", "--station"}, "--station needs a value");

    // The track says what is wrong, without the usage.
    const auto bad_track = [&](const char* what, QStringList args, const char* complaint) {
      row(what, track, std::move(args), complaint, QString());
    };
    bad_track("a locator with a bad field", {"--home", "ZZ99", "--dx", "FN31"}, "");
    bad_track("a locator of odd length", {"--home", "JO0", "--dx", "FN31"}, "");
    bad_track("a latitude past the pole", {"--home", "91,0", "--dx", "FN31"}, "");
    bad_track("a day that does not exist",
              {"--home", "JO01", "--dx", "FN31", "--from", "2026-02-30T00:00:00"}, "");
    bad_track("a time without seconds",
              {"--home", "JO01", "--dx", "FN31", "--from", "2026-12-07T08:00"}, "");
    bad_track("a span over 14 days", {"--home", "JO01", "--dx", "FN31", "--span", "20161"},
              "bad --span");
  }
  void badArgumentsExitTwo() {
    QFETCH(QStringList, args);
    QFETCH(QString, complaint);
    QFETCH(QString, usage);
    Run run;
    Report(args, run);
    QCOMPARE(run.exit_code, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(run.err.startsWith("quillmere-report: " + complaint.toUtf8()), run.err.constData());
    QVERIFY2(run.err.contains(usage.toUtf8()), run.err.constData());
  }

  // --- The exact method: --spectrum and --slant ---

  void spectrumGivesOneRowPerFrequencyWithItsKeys() {
    Run run;
    Report({"--spectrum", "--station", "home", "--data", Data("typical.dat"), "--from-ghz", "20",
            "--to-ghz", "24", "--step-ghz", "0.5", "--json"},
           run);
    QCOMPARE(run.exit_code, 0);
    const QJsonObject out = ParseObject(run.out);
    QCOMPARE(out.value(QStringLiteral("command")).toString(), QStringLiteral("spectrum"));
    const QJsonArray rows = out.value(QStringLiteral("rows")).toArray();
    QCOMPARE(rows.size(), 9);
    const QStringList keys = {"gamma_o_db_km", "gamma_w_db_km", "ghz", "zenith_db"};
    for (qsizetype k = 0; k < rows.size(); ++k) {
      const QJsonObject row = rows[k].toObject();
      QCOMPARE(row.keys(), keys);
      QCOMPARE(row.value(QStringLiteral("ghz")).toDouble(), 20 + 0.5 * double(k));
      for (const QString& key : keys) QVERIFY(row.value(key).toDouble() > 0);
    }
    // The water-vapour line at 22.235 GHz stands out of its neighbours.
    const auto gw = [&](int k) {
      return rows[k].toObject().value(QStringLiteral("gamma_w_db_km")).toDouble();
    };
    QVERIFY(gw(4) > gw(0) && gw(4) > gw(8));
  }

  void slantGivesOneRowPerElevationWithItsKeys() {
    Run run;
    Report({"--slant", "--station", "dx", "--data", Data("typical.dat"), "--ghz", "24",
            "--elevations", "0,0.5,5,30,90", "--json"},
           run);
    QCOMPARE(run.exit_code, 0);
    const QJsonObject out = ParseObject(run.out);
    QCOMPARE(out.value(QStringLiteral("station")).toString(), QStringLiteral("dx"));
    const QJsonArray rows = out.value(QStringLiteral("rows")).toArray();
    QCOMPARE(rows.size(), 5);
    const QStringList keys = {"apparent_elevation", "cosecant_db", "geometric_elevation", "ray_db",
                              "sky_k"};
    double previous_db = 1e9;
    for (const QJsonValue& value : rows) {
      const QJsonObject row = value.toObject();
      QCOMPARE(row.keys(), keys);
      const double elevation = row.value(QStringLiteral("geometric_elevation")).toDouble();
      // The ray leaves the antenna above where it ends: refraction lifts it.
      QVERIFY(row.value(QStringLiteral("apparent_elevation")).toDouble() >= elevation);
      const double db = row.value(QStringLiteral("ray_db")).toDouble();
      QVERIFY(db > 0 && db < previous_db);
      previous_db = db;
      const double sky = row.value(QStringLiteral("sky_k")).toDouble();
      QVERIFY(sky > 2.7 && sky < 330);
    }
    // The cosecant has no figure on the horizon, and one above it.
    QVERIFY(rows[0].toObject().value(QStringLiteral("cosecant_db")).isNull());
    for (qsizetype k = 1; k < rows.size(); ++k)
      QVERIFY(rows[k].toObject().value(QStringLiteral("cosecant_db")).toDouble() > 0);
  }

  // The mean annual global reference at the station's 120 m: 288.15 K less
  // 6.5 K per geopotential km, 7.5 g/m3 thinning with a 2 km scale height,
  // whatever the data file's weather.
  void globalProfileIgnoresTheDataFilesWeather() {
    Run run;
    Report({"--slant", "--station", "home", "--data", Data("typical.dat"), "--ghz", "24",
            "--elevations", "10", "--profile", "global", "--json"},
           run);
    QCOMPARE(run.exit_code, 0);
    const QJsonObject out = ParseObject(run.out);
    QCOMPARE(out.value(QStringLiteral("profile")).toString(), QStringLiteral("global"));
    const QJsonObject weather = out.value(QStringLiteral("weather")).toObject();
    const double h = out.value(QStringLiteral("station_height_km")).toDouble();
    QCOMPARE_LT(std::abs(h - 0.12), 1e-9);
    QCOMPARE_LT(std::abs(weather.value(QStringLiteral("temperature_k")).toDouble() -
                         (288.15 - 6.5 * (6356.766 * h / (6356.766 + h)))),
                1e-6);
    QCOMPARE_LT(std::abs(weather.value(QStringLiteral("vapour_density_g_m3")).toDouble() -
                         7.5 * std::exp(-h / 2)),
                1e-6);

    Run station;
    Report({"--slant", "--station", "home", "--data", Data("typical.dat"), "--ghz", "24",
            "--elevations", "10", "--json"},
           station);
    QCOMPARE(station.exit_code, 0);
    const QJsonObject station_weather =
        ParseObject(station.out).value(QStringLiteral("weather")).toObject();
    QVERIFY(station_weather.value(QStringLiteral("temperature_k")).toDouble() !=
            weather.value(QStringLiteral("temperature_k")).toDouble());
  }

  // --weather is the air of the specific attenuation, exactly as given: the
  // vapour pressure e = rho T / 216.7, and no vapour line without vapour.
  void weatherIsTakenAsGiven_data() {
    QTest::addColumn<QString>("weather");
    QTest::addColumn<double>("p");
    QTest::addColumn<double>("T");
    QTest::addColumn<double>("rho");
    QTest::newRow("standard") << "1013.25,288.15,7.5" << 1013.25 << 288.15 << 7.5;
    QTest::newRow("dry and cold") << "500,230,0" << 500.0 << 230.0 << 0.0;
  }
  void weatherIsTakenAsGiven() {
    QFETCH(QString, weather);
    QFETCH(double, p);
    QFETCH(double, T);
    QFETCH(double, rho);
    Run run;
    Report({"--spectrum", "--station", "home", "--data", Data("typical.dat"), "--from-ghz", "22",
            "--to-ghz", "23", "--step-ghz", "1", "--weather", weather, "--json"},
           run);
    QCOMPARE(run.exit_code, 0);
    const QJsonObject out = ParseObject(run.out);
    const QJsonObject air = out.value(QStringLiteral("weather")).toObject();
    QCOMPARE(air.value(QStringLiteral("dry_pressure_hpa")).toDouble(), p);
    QCOMPARE(air.value(QStringLiteral("temperature_k")).toDouble(), T);
    QCOMPARE(air.value(QStringLiteral("vapour_density_g_m3")).toDouble(), rho);
    QCOMPARE_LT(
        std::abs(air.value(QStringLiteral("vapour_pressure_hpa")).toDouble() - rho * T / 216.7),
        1e-9);
    const QJsonObject first = out.value(QStringLiteral("rows")).toArray()[0].toObject();
    QCOMPARE(first.value(QStringLiteral("gamma_w_db_km")).toDouble() == 0, rho == 0);
  }

  void helpGoesToStandardOutput() {
    Run run;
    Report({QStringLiteral("--help")}, run);
    QCOMPARE(run.exit_code, 0);
    QVERIFY(run.out.startsWith("usage: quillmere-report [--data FILE] [--utc"));
    QVERIFY(run.out.contains("usage: quillmere-report --track (--home LOC --dx LOC"));
  }

  // After a mode, --help prints that mode's usage alone.
  void helpOfAModeIsItsOwn_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("opens");
    QTest::addColumn<QByteArray>("other");
    QTest::newRow("track") << QStringList{"--track", "--help"}
                           << QByteArray("usage: quillmere-report --track (--home LOC")
                           << QByteArray("--spectrum");
    QTest::newRow("spectrum") << QStringList{"--spectrum", "--help"}
                              << QByteArray("usage: quillmere-report --spectrum --station")
                              << QByteArray("--track");
    QTest::newRow("slant, after an option")
        << QStringList{"--station=dx", "--slant", "--help"}
        << QByteArray("usage: quillmere-report --spectrum") << QByteArray("--utc");
  }
  void helpOfAModeIsItsOwn() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, opens);
    QFETCH(QByteArray, other);
    Run run;
    Report(args, run);
    QCOMPARE(run.exit_code, 0);
    QVERIFY2(run.out.startsWith(opens), run.out.constData());
    QVERIFY2(!run.out.contains(other), run.out.constData());
    QVERIFY2(run.err.isEmpty(), run.err.constData());
  }

  // --- The Moon track of two stations ---

  void trackWithoutItsDataFileFails() {
    Run run;
    Report({"--track", "--home", "JO01", "--dx", "FN31", "--json"}, run);
    QCOMPARE(run.exit_code, 1);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(run.err.contains("Quillmere.dat"), run.err.constData());
  }

  // The document's shape: the stations, one row per step with each
  // station's sighting and each path's terms, and the windows.
  void trackJsonHasItsShape() {
    const QJsonObject track = TrackOf(QStringLiteral("2026-12-07T12:00:00"), 10);
    QCOMPARE(track.value("home").toObject().keys(), QStringList({"height_m", "lat", "lon"}));
    QCOMPARE(track.value("dx").toObject().value("lat").toDouble(), 41.5);
    const QJsonArray rows = track.value("rows").toArray();
    QCOMPARE(rows.size(), qsizetype(11));
    QCOMPARE(rows.at(3).toObject().value("utc").toString(), QStringLiteral("2026-12-07T12:03:00Z"));
    for (const char* station : {"home", "dx"}) {
      const QJsonObject seen = rows.at(0).toObject().value(station).toObject();
      for (const char* key : {"az", "el", "el_refracted", "range_km"}) {
        QVERIFY2(seen.value(key).isDouble(), key);
      }
    }
    const QJsonObject row = rows.at(0).toObject();
    for (const char* key :
         {"mutual", "doppler_self_hz", "doppler_home_dx_hz", "delay_s", "libration_hz"}) {
      QVERIFY2(row.contains(key), key);
    }
    const QJsonObject terms = row.value("dgrd_db").toObject().value("home_dx").toObject();
    QCOMPARE(terms.keys(), QStringList({"attenuation_rx", "attenuation_tx", "distance",
                                        "moon_noise", "sky_noise", "sun_noise", "total"}));
    // The Sun from each station, and its separation from the Moon.
    const QJsonObject sun = row.value("home").toObject().value("sun").toObject();
    QCOMPARE(sun.keys(), QStringList({"az", "el", "moon_sep_deg"}));
    // Both stations see the Moon through this hour: one window, open at
    // both ends of the span.
    const QJsonArray windows = track.value("windows").toArray();
    QCOMPARE(windows.size(), qsizetype(1));
    QCOMPARE(windows.at(0).toObject().value("start").toString(),
             QStringLiteral("2026-12-07T12:00:00Z"));
  }

  // A minute of the track against the window's own figures for the same
  // data file: each station's total at the Moon's elevation is the zenith
  // gases over sin(elevation) plus the rain, cloud and fog of the window's
  // one-way loss (its total less its slant gases).
  void trackAttenuationIsTheWindowsAtTheMoonsElevation_data() {
    QTest::addColumn<QString>("station");
    QTest::addColumn<QString>("term");
    QTest::addColumn<QString>("zenith");
    QTest::addColumn<QString>("slant");
    QTest::addColumn<QString>("total");
    QTest::newRow("Home, as sender") << "home"
                                     << "attenuation_tx"
                                     << "Panel20"
                                     << "Panel19"
                                     << "Panel58";
    QTest::newRow("DX, as receiver") << "dx"
                                     << "attenuation_rx"
                                     << "Panel106"
                                     << "Panel112"
                                     << "Panel54";
  }
  void trackAttenuationIsTheWindowsAtTheMoonsElevation() {
    QFETCH(QString, station);
    QFETCH(QString, term);
    QFETCH(QString, zenith);
    QFETCH(QString, slant);
    QFETCH(QString, total);
    const QJsonObject row =
        TrackOf(QStringLiteral("2026-12-07T12:00:00"), 1, {"--atmosphere", "cosecant"})
            .value("rows")
            .toArray()
            .at(0)
            .toObject();
    const double el = row.value(station).toObject().value("el_refracted").toDouble();
    QVERIFY(el > 5);
    const auto figure = [&](const QString& name) {
      return Text(report_, name).section(u' ', 0, 0).toDouble();
    };
    const double expected =
        figure(zenith) / std::sin(el * std::numbers::pi / 180) + figure(total) - figure(slant);
    // Half a unit of the window's three decimals on each figure (the zenith
    // one magnified by the slant), half of the track's own third decimal.
    const double tolerance = 0.0005 / std::sin(el * std::numbers::pi / 180) + 0.001 + 0.0005;
    const double shown =
        row.value("dgrd_db").toObject().value("home_dx").toObject().value(term).toDouble();
    QVERIFY2(std::abs(shown - expected) <= tolerance,
             qPrintable(QStringLiteral("%1 dB shown, %2 dB expected").arg(shown).arg(expected)));
  }

  void trackWithoutJsonIsATable() {
    Run run;
    Report({"--track", "--home", "JO01", "--dx", "FN31", "--from", "2026-12-07T12:00:00", "--span",
            "3", "--data", Data("typical.dat")},
           run);
    QCOMPARE(run.exit_code, 0);
    const QList<QByteArray> lines = run.out.split('\n');
    QVERIFY2(lines.at(0).startsWith("Home JO01 (51.5000, 1.0000, 0 m)"), run.out.constData());
    QVERIFY(lines.at(2).startsWith("2026-12-07T12:00:00Z"));
    QVERIFY(lines.at(4).startsWith("2026-12-07T12:02:00Z"));
  }

 private:
  QJsonObject TrackOf(const QString& from, int span, const QStringList& more = {}) {
    Run run;
    Report(QStringList{"--track", "--home", "JO01", "--dx", "FN31", "--from", from, "--span",
                       QString::number(span), "--data", Data("typical.dat"), "--json"} +
               more,
           run);
    [&] { QCOMPARE(run.exit_code, 0); }();
    return ParseObject(run.out);
  }

  QString Data(const char* name) const { return data_.filePath(QLatin1String(name)); }

  // Runs the tool in a new empty folder (holding Quillmere.dat with
  // `seeded` bytes if given), with no display, the C locale and a home of its
  // own. Afterwards that folder and the data folder must be as they were: the
  // tool writes no file, not even its window placement.
  void Report(const QStringList& args, Run& run, const QByteArray& seeded = {}) {
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString dat = work.filePath(QStringLiteral("Quillmere.dat"));
    if (!seeded.isEmpty()) {
      QFile file(dat);
      QVERIFY(file.open(QIODevice::WriteOnly));
      QCOMPARE(file.write(seeded), qint64(seeded.size()));
    }
    const QStringList listing = FolderListing(work.path());

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "LANGUAGE", "LANG", "LC_NUMERIC"}) {
      env.remove(QLatin1String(name));
    }
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("HOME"), home_.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home_.filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home_.filePath(QStringLiteral("share")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home_.filePath(QStringLiteral("runtime")));

    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(work.path());
    process.start(kTool, args);
    QVERIFY2(process.waitForStarted(), qPrintable(process.errorString()));
    QVERIFY2(process.waitForFinished(120000), "quillmere-report did not finish");
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    run.exit_code = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();

    QCOMPARE(FolderListing(work.path()), listing);
    if (!seeded.isEmpty()) QCOMPARE(FileBytes(dat), seeded);
    QCOMPARE(FolderListing(data_.path()), data_listing_);
  }

  QTemporaryDir data_;
  QTemporaryDir home_;
  QStringList data_listing_;
  Run typical_;
  QJsonObject report_;
};

QTEST_GUILESS_MAIN(ReportTest)
#include "report_test.moc"
