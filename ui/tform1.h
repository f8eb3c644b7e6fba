#pragma once
// The main window: every input and result of both stations on one
// fixed-layout form that scales with the window. The static layout is
// tform1.ui; the calculation writes to it through WidgetDisplay and binds
// its handlers to the components' signals.

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QRect>
#include <QSize>
#include <QString>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "calculator.h"
#include "data_file.h"
#include "design_scaler.h"
#include "help_viewer.h"
#include "messages.h"
#include "state.h"
#include "sunmoon.h"
#include "utc_clock.h"
#include "version_info.h"
#include "view_factory.h"

namespace Ui {
class TForm1;
}

namespace quillmere {

class OnScreenHelp;
class PlannerWindow;
class TForm2;
class WidgetDisplay;
class SpectrumWindow;

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  // The client area the form was laid out for, at 96 dots per inch; every
  // control is scaled by the ratio of the actual client area to it.
  static constexpr QSize kDesignClientSize{1064, 886};
  // The smallest factor the form is drawn at; a smaller window scrolls.
  static constexpr double kMinimumScale = 0.6;
  // Height the client can be scrolled over, in design pixels.
  static constexpr int kScrollRange = 920;
  // Outer window size that "Reset Screen Size" restores.
  static constexpr QSize kResetOuterSize{1072, 1015};

  // `clock` gives the moment the sun/moon component is asked for.
  explicit TForm1(QWidget* parent = nullptr, UtcClock clock = UtcNow);
  ~TForm1() override;

  // The one state of both stations, the calculation over it, and the
  // display through which it writes to this form.
  QuillmereState& State() { return state_; }
  Calculator& Calc() { return *calc_; }
  WidgetDisplay& ComponentDisplay() { return *display_; }
  OnScreenHelp& Help() { return *help_; }
  // Where messages go (modal message boxes unless replaced).
  void SetMessages(quillmere::Messages* messages) { messages_ = messages; }
  quillmere::Messages& MessageSink() { return *messages_; }

  // Typed access to every component by its name: Components().TempButtonA,
  // Components().Panel14, ... (include "ui_tform1.h" for the members).
  Ui::TForm1& Components() { return *ui_; }

  // Every named component of the form, parents before their children.
  const QList<QWidget*>& ComponentList() const { return components_; }
  // The component of that name, or nullptr.
  QWidget* Component(const QString& name) const { return by_name_.value(name); }
  template <class T>
  T* Component(const QString& name) const {
    return qobject_cast<T*>(Component(name));
  }

  // The area the form is drawn in and scaled to (the window's client area
  // without its vertical scroll bar).
  QWidget* ClientArea() const;

  // Sets the outer window size, frame included, to 1072 x 1015, or to that
  // size scaled down evenly where the screen's available area is smaller,
  // and moves the window into that area.
  void ResetScreenSize();
  // Sizes the window so that its client area is exactly the design size.
  void ShowAtDesignSize();
  // Sizes the window so that its client area is `client`.
  void ResizeClientArea(QSize client);

 public:
  // Event handlers, named after their component and event. Each changes its
  // field, refreshes what depends on it and recalculates.
  void TempButtonAUpClick() { calc_->TempButtonUpClick(Station::Home); }
  void TempButtonADownClick() { calc_->TempButtonDownClick(Station::Home); }
  void TempButtonBUpClick() { calc_->TempButtonUpClick(Station::DX); }
  void TempButtonBDownClick() { calc_->TempButtonDownClick(Station::DX); }
  void HumidityButtonAUpClick() { calc_->HumidityButtonUpClick(Station::Home); }
  void HumidityButtonADownClick() { calc_->HumidityButtonDownClick(Station::Home); }
  void HumidityButtonBUpClick() { calc_->HumidityButtonUpClick(Station::DX); }
  void HumidityButtonBDownClick() { calc_->HumidityButtonDownClick(Station::DX); }
  void PressButtonAUpClick() { calc_->PressButtonUpClick(Station::Home); }
  void PressButtonADownClick() { calc_->PressButtonDownClick(Station::Home); }
  void PressButtonBUpClick() { calc_->PressButtonUpClick(Station::DX); }
  void PressButtonBDownClick() { calc_->PressButtonDownClick(Station::DX); }
  void HASLx10_AUpClick() { calc_->HASLx10UpClick(Station::Home); }
  void HASLx10_ADownClick() { calc_->HASLx10DownClick(Station::Home); }
  void HASLx10_BUpClick() { calc_->HASLx10UpClick(Station::DX); }
  void HASLx10_BDownClick() { calc_->HASLx10DownClick(Station::DX); }
  void HASLx100_AUpClick() { calc_->HASLx100UpClick(Station::Home); }
  void HASLx100_ADownClick() { calc_->HASLx100DownClick(Station::Home); }
  void HASLx100_BUpClick() { calc_->HASLx100UpClick(Station::DX); }
  void HASLx100_BDownClick() { calc_->HASLx100DownClick(Station::DX); }
  void ElevationButtonA10UpClick() { calc_->ElevationButton10UpClick(Station::Home); }
  void ElevationButtonA10DownClick() { calc_->ElevationButton10DownClick(Station::Home); }
  void ElevationButtonB10UpClick() { calc_->ElevationButton10UpClick(Station::DX); }
  void ElevationButtonB10DownClick() { calc_->ElevationButton10DownClick(Station::DX); }
  void ElevationButtonA1UpClick() { calc_->ElevationButton1UpClick(Station::Home); }
  void ElevationButtonA1DownClick() { calc_->ElevationButton1DownClick(Station::Home); }
  void ElevationButtonB1UpClick() { calc_->ElevationButton1UpClick(Station::DX); }
  void ElevationButtonB1DownClick() { calc_->ElevationButton1DownClick(Station::DX); }
  void DistanceChangex1009UpClick() { calc_->DistanceChangex1009UpClick(); }
  void DistanceChangex1009DownClick() { calc_->DistanceChangex1009DownClick(); }
  void DistanceChangex109UpClick() { calc_->DistanceChangex109UpClick(); }
  void DistanceChangex109DownClick() { calc_->DistanceChangex109DownClick(); }
  void DistanceChangex1UpClick() { calc_->DistanceChangex1UpClick(); }
  void DistanceChangex1DownClick() { calc_->DistanceChangex1DownClick(); }
  void DistanceChangex01UpUpClick() { calc_->DistanceChangex01UpUpClick(); }
  void DistanceChangex01UpDownClick() { calc_->DistanceChangex01UpDownClick(); }
  void Panel125Click() { calc_->Panel125Click(); }
  void Panel124Click() { calc_->Panel124Click(); }
  void ColorButton4Click() { calc_->ColorButton4Click(); }
  // The selection groups and sliders: the user's choice goes to the
  // controls, which run the handlers when it changes anything.
  void ScrollBar1Change(int position);
  void FreqSelect1Click(int item);
  void RainSelectAClick(int item);
  void RainSelectBClick(int item);
  void PolarisationSelectAClick(int item);
  void PolarisationSelectBClick(int item);
  void FogSelectAClick(int item);
  void FogSelectBClick(int item);
  void LatitudeSelectAClick(int item);
  void LatitudeSelectBClick(int item);
  void SummerWinterSelectAClick(int item);
  void SummerWinterSelectBClick(int item);
  void CloudSelectAChange(int position);
  void CloudSelectBChange(int position);
  void WaterIceSelectAClick() { calc_->WaterIceSelectClick(Station::Home); }
  void WaterIceSelectBClick() { calc_->WaterIceSelectClick(Station::DX); }

  // Option panels, display settings and the command row.
  void ColorButton1Click();
  void ColorButton2Click();
  void DisplayAccuracyClick(int item);
  void Panel1Click();
  void ColorButton3Click();
  void ScreenDelaySelectClick(int item);
  void Button6Click();
  void Button2Click();
  void Panel45Click();
  void Button4Click();
  void Button3Click();
  void Panel117Click();
  void Button1Click();
  void Panel42Click();
  // "Close" of the cloud notes panel.
  void Button5Click() { Panel42Click(); }
  // Escape: closes the option panel or list opened last that is still open.
  // Returns whether one was open.
  bool CloseTopOverlay();
  // The cloud maps: the chosen percentage's map in the viewer window.
  void PercentageDisplayClick(int item);
  void ShowCloudMap();
  // Where a file the program ships (a map, the help file) is looked for: the
  // current folder, else the program's installed data folder. The path is
  // the system's bytes; when the file is nowhere, the one in the current
  // folder, for the message.
  static std::filesystem::path MapPath(const std::string& file_name);
  TForm2& Form2() { return *form2_; }
  // The "Spectrum and elevation" view, made at its first opening (null
  // before). Defined in the views library: only what links it may ask.
  SpectrumWindow* Spectrum() const;
  void OpenSpectrum();
  void Panel134Click() { ResetScreenSize(); }
  // The tab strip: 0 "Help", 1 "About", 2 "Exit", 3 "Planner".
  void TabSet2Click(int tab);
  // The Moon planner (the "Planner" tab and F2), made at its first opening,
  // with QuillmereStations.ini in the start folder.
  void OpenPlanner();
  // Defined in the views library, as Spectrum() is.
  PlannerWindow* Planner() const;
  // The planner's weather import: the station's temperature, humidity and
  // pressure as their steppers take them, one recalculation; returns what
  // they held before.
  StationWeather ApplyStationWeather(WeatherStation station, const StationWeather& weather);
  // Follow the Moon, switched in the planner: the title says so while it is
  // on.
  bool FollowingTheMoon() const { return following_moon_; }
  static constexpr const char* kFollowingTitle = " \u2014 following the Moon";
  // The Help tab: "Quillmere Attenuation.chm" (its extension also in
  // capitals) from the current folder, else the installed data folder, shown
  // at its table of contents in the help window, which this window owns; or
  // at `page` ("planner.html", "index.html#help-window"), in the file
  // already shown if it is.
  void OpenHelp(const QString& page = QString());
  // The help window, once the Help tab has opened it.
  HelpViewer* HelpWindow() const { return help_viewer_.get(); }
  // Asks "Do You wish to exit now ?" and ends the program on Yes.
  void ConfirmExit();
  // The About text, line by line.
  QString AboutText() const;

  // Start-up and shutdown. The program turns them on; a bare form (as the
  // tests make it) neither reads nor writes the settings and data files.
  void EnableStartup(bool enabled) { startup_enabled_ = enabled; }
  // Show event: the window placement from QuillmereS.ini, at the first
  // showing only.
  void FormShow();
  // What saves of the placement and stations files left when they were
  // killed part-way (a temporary beside the file, a new text not yet cut
  // to), put right before either is read; the data file's load does the
  // same for it.
  void TidyInterruptedSaves();
  // Activation event: the start-up sequence, at the first activation only
  // (later activations, after a message box or the map viewer, must not
  // throw away the user's unsaved changes).
  void Startup();
  // Title with the version, build date, vapour over water, the default data
  // file and the path mode.
  void StartupRoutine();
  // Close and destroy events: the window placement back to QuillmereS.ini.
  void FormClose();
  void FormDestroy();
  // Remembers the window's outer rectangle while it is framed.
  void NoteFramedPlacement();
  const VersionInfo& Version() const { return version_; }
  // The default data file start-up reads (Quillmere.dat in the current
  // folder unless set).
  void SetDataPath(std::filesystem::path path) { data_path_ = std::move(path); }
  std::filesystem::path DataPath() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BindHandlers();
  void ShowOverlay(std::string_view name);
  void HideOverlay(std::string_view name);
  // Keyboard use: focus policies, Tab order, the steppers' Page Up/Page
  // Down pairs and the window's shortcuts (tform1_keyboard.cpp).
  void SetUpKeyboard();
  // The keys every window of the program answers alike: F1 its help page
  // (`help_page`; empty: the contents), Ctrl+S Save default Data, Ctrl+Q
  // Exit with its question. Escape, which closes a window, is its own.
  void GiveWindowKeys(QWidget* window, const QString& help_page);
  // Assistive technology's view of the form (tform1_accessibility.cpp):
  // the description of every component, in place before the form is built,
  // and their names, from the form as built.
  static void DescribeComponentsForAccessibility();
  void NameComponentsForAccessibility();
  // A press anywhere outside an open overlay (and outside the button that
  // opens it) closes that overlay.
  void CloseOverlaysOutside(QWidget* pressed);
  // The keyboard's share of the window's event filter: presses outside an
  // overlay, the focus of an overlay that closes, Escape in the map viewer.
  // Returns whether the event was taken.
  bool FilterOverlayEvent(QObject* watched, QEvent* event);

  // Places the window so that its outer rectangle, frame included, is
  // `outer`, with the frame as the window manager has drawn it so far.
  void ApplyOuterGeometry(const QRect& outer);

  void ApplyDesignFonts();
  void Rescale(QSize client);

  std::unique_ptr<Ui::TForm1> ui_;
  QuillmereState state_;
  std::unique_ptr<SunMoonLibrary> moon_;
  std::unique_ptr<WidgetDisplay> display_;
  std::unique_ptr<Calculator> calc_;
  OnScreenHelp* help_ = nullptr;
  std::unique_ptr<quillmere::Messages> own_messages_;
  quillmere::Messages* messages_ = nullptr;
  VersionInfo version_;
  bool startup_enabled_ = false;
  bool placement_restored_ = false;
  // The stored placement waits here until the window manager has framed the
  // window: only then is the frame's size known, which lies between the
  // outer rectangle the file keeps and the client area Qt sizes.
  std::optional<QRect> pending_placement_;
  // The outer rectangle last seen while the window manager framed the
  // window. Once the window is closed and unmapped its frame is gone, and
  // what Qt reports then is the client area; the placement written at the
  // end is this one.
  std::optional<QRect> framed_placement_;
  bool started_ = false;
  std::filesystem::path data_path_;
  std::unique_ptr<TForm2> form2_;
  // The views library, loaded at the first opening of a view; the message
  // of what failed, naming `view`, when it cannot be had.
  ViewFactory* Views(const QString& view);
  ViewFactory* views_ = nullptr;
  OpenedView spectrum_;
  std::string map_path_;
  QList<QWidget*> components_;
  QHash<QString, QWidget*> by_name_;
  DesignScaler scaler_;
  // The overlays in the order they were opened, the last on top.
  QList<QWidget*> open_overlays_;
  void SetFollowingTheMoon(bool on);
  // Follow the Moon's word on a Moon below a station's horizon, or "".
  QString follow_note_;
  // Tells the open spectrum view and planner of every recalculation.
  void FollowRecalculations();
  UtcClock clock_;
  bool following_moon_ = false;
  OpenedView planner_;
  // Last, so that the help window is closed first when this window goes.
  HelpViewerPtr help_viewer_;
};

}  // namespace quillmere
