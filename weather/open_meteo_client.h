#pragma once
// The one place the program talks to the weather service: an asynchronous
// GET over Qt Network with a deadline on the whole exchange (Qt's own
// transfer timeout only counts silence), no redirect to another host, and a
// cap on the bytes read. What the answer means is open_meteo.h's.

#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "open_meteo.h"

class QNetworkAccessManager;
class QTimer;

namespace quillmere {

// The service the window asks: the server kWeatherUrlVariable names in the
// environment, or the public API. The one place the setting is read.
WeatherService ConfiguredWeatherService();

class OpenMeteoClient : public QObject {
  Q_OBJECT
 public:
  // `base_url`: the service, kOpenMeteoBaseUrl or one with the same API.
  explicit OpenMeteoClient(QString base_url, QObject* parent = nullptr);
  ~OpenMeteoClient() override;

  // The whole exchange's deadline; kWeatherDeadlineMs unless a test or the
  // command line shortens it.
  void SetDeadlineMs(int ms) { deadline_ms_ = ms; }

  // Asks for the weather at `query`; `done` is called once, later, from the
  // event loop, with the figures or what went wrong. A request still
  // running is abandoned (its `done` is never called).
  void Fetch(const WeatherQuery& query, std::function<void(const WeatherResult&)> done);

  bool Busy() const { return reply_ != nullptr; }

 private:
  void Start(const QUrl& url);
  void Finished();
  void Finish(const WeatherResult& result);

  QString base_url_;
  int deadline_ms_ = kWeatherDeadlineMs;
  int redirects_ = 0;
  bool timed_out_ = false;
  QNetworkAccessManager* network_;
  QTimer* deadline_;
  QPointer<QNetworkReply> reply_;
  std::function<void(const WeatherResult&)> done_;
};

}  // namespace quillmere
