#include "open_meteo_client.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace quillmere {
namespace {

// A same-host redirect (http to https, a moved path) is followed this often.
constexpr int kMaxRedirects = 3;

WeatherError ErrorOf(QNetworkReply::NetworkError error) {
  switch (error) {
    case QNetworkReply::ConnectionRefusedError:
      return WeatherError::kRefused;
    case QNetworkReply::TimeoutError:
      return WeatherError::kTimeout;
    default:
      return WeatherError::kNoNetwork;
  }
}

}  // namespace

WeatherService ConfiguredWeatherService() {
  const char* name = kWeatherUrlVariable.data();
  if (!qEnvironmentVariableIsSet(name)) return WeatherServiceOf(std::nullopt);
  return WeatherServiceOf(qEnvironmentVariable(name).toStdString());
}

OpenMeteoClient::OpenMeteoClient(QString base_url, QObject* parent)
    : QObject(parent),
      base_url_(std::move(base_url)),
      network_(new QNetworkAccessManager(this)),
      deadline_(new QTimer(this)) {
  deadline_->setSingleShot(true);
  connect(deadline_, &QTimer::timeout, this, [this] {
    if (!reply_) return;
    timed_out_ = true;
    reply_->abort();
  });
}

OpenMeteoClient::~OpenMeteoClient() {
  if (reply_) {
    reply_->disconnect(this);
    reply_->abort();
  }
}

void OpenMeteoClient::Fetch(const WeatherQuery& query,
                            std::function<void(const WeatherResult&)> done) {
  if (reply_) {
    reply_->disconnect(this);
    reply_->abort();
    reply_->deleteLater();
  }
  done_ = std::move(done);
  redirects_ = 0;
  timed_out_ = false;
  deadline_->start(deadline_ms_);
  Start(QUrl(QString::fromStdString(ForecastUrl(base_url_.toStdString(), query))));
}

void OpenMeteoClient::Start(const QUrl& url) {
  QNetworkRequest request(url);
  // Redirects are judged here: one to another host is refused.
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::ManualRedirectPolicy);
  request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Quillmere"));
  reply_ = network_->get(request);
  connect(reply_, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
    if (received > kMaxWeatherReplyBytes && reply_) {
      reply_->disconnect(this);
      reply_->abort();
      reply_->deleteLater();
      Finish(TransportFailure(WeatherError::kTooLarge));
    }
  });
  connect(reply_, &QNetworkReply::finished, this, &OpenMeteoClient::Finished);
}

void OpenMeteoClient::Finished() {
  QNetworkReply* reply = reply_;
  if (!reply) return;
  reply->deleteLater();
  const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
  if (timed_out_)
    return Finish(WeatherFailure{WeatherError::kTimeout,
                                 "The weather service did not answer within " +
                                     QString::number(deadline_ms_ / 1000.0).toStdString() + " s."});
  if (!status.isValid())
    return Finish(TransportFailure(ErrorOf(reply->error()), reply->errorString().toStdString()));
  const int code = status.toInt();
  if (code >= 300 && code <= 399) {
    const QUrl from = reply->url();
    const QUrl to = from.resolved(QUrl::fromEncoded(reply->rawHeader("Location")));
    if (to.host().compare(from.host(), Qt::CaseInsensitive) != 0 || to.port() != from.port() ||
        to.isEmpty())
      return Finish(TransportFailure(WeatherError::kRedirectOffHost, to.host().toStdString()));
    if (++redirects_ > kMaxRedirects)
      return Finish(
          WeatherFailure{WeatherError::kHttpError, "The weather service redirects without end."});
    return Start(to);
  }
  // The error is checked before the body is read: a reply cut off by the
  // network has a status but not the whole body.
  const QNetworkReply::NetworkError error = reply->error();
  if (error != QNetworkReply::NoError && code == 200)
    return Finish(TransportFailure(ErrorOf(error), reply->errorString().toStdString()));
  const QByteArray body = reply->read(kMaxWeatherReplyBytes + 1);
  const QByteArray type = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
  Finish(ParseForecastReply(code, std::string_view(type.constData(), type.size()),
                            std::string_view(body.constData(), body.size())));
}

void OpenMeteoClient::Finish(const WeatherResult& result) {
  deadline_->stop();
  reply_ = nullptr;
  if (auto done = std::move(done_)) {
    done_ = nullptr;
    done(result);
  }
}

}  // namespace quillmere
