#include "config/drop_target.h"

#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

#include "config/config_rules.h"

namespace orv {

std::string FirstDroppedPath(const QList<QUrl>& urls) {
  if (urls.isEmpty() || !urls.first().isLocalFile()) return {};
  const QUrl& url = urls.first();
  std::string path = PercentDecode(url.path(QUrl::FullyEncoded).toStdString());
  const QString host = url.host();
  if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
    path = "//" + host.toStdString() + path;
  return path;
}

bool AcceptNameOnly(QDropEvent* event) {
  // We take the name and nothing else: a source that honoured a Move would
  // delete the user's file or folder.
  const Qt::DropActions offered = event->possibleActions();
  const Qt::DropAction action = (offered & Qt::CopyAction)   ? Qt::CopyAction
                                : (offered & Qt::LinkAction) ? Qt::LinkAction
                                                             : Qt::IgnoreAction;
  if (action == Qt::IgnoreAction || FirstDroppedPath(event->mimeData()->urls()).empty()) {
    event->ignore();
    return false;
  }
  event->setDropAction(action);
  event->accept();
  return true;
}

TFileDropTarget::TFileDropTarget(QWidget* target, std::function<void(const std::string&)> dropped)
    : QObject(target), target_(target), dropped_(std::move(dropped)) {
  target->installEventFilter(this);
  target->setAcceptDrops(true);
}

bool TFileDropTarget::eventFilter(QObject* watched, QEvent* event) {
  if (watched != target_) return false;
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
      AcceptNameOnly(static_cast<QDropEvent*>(event));
      return true;
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      if (!AcceptNameOnly(drop) || !target_->rect().contains(drop->position().toPoint())) return true;
      if (const std::string path = FirstDroppedPath(drop->mimeData()->urls()); !path.empty()) dropped_(path);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace orv
