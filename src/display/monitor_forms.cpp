#include "display/monitor_forms.h"

#include <QPointer>

#include "display/main_form.h"
#include "platform/gui/screen.h"

namespace orv {

void CoverOtherMonitors(TfrmMain& first) {
  QPointer<TfrmMain> main(&first);
  for (int i = 0; i < Screen().Monitors(); ++i) {
    if (i == first.Monitor()) continue;
    auto* form = new TfrmMain(first, i);
    form->isPreview = false;
    // The same kind of window as the first: no taskbar button where it has none.
    form->setWindowFlags(first.windowFlags());
    form->setAttribute(Qt::WA_DeleteOnClose);
    // Input on any monitor ends the whole show.
    QObject::connect(form, &QObject::destroyed, &first, [main] {
      if (main) main->close();
    });
    QObject::connect(&first, &QObject::destroyed, form, [form] { delete form; });
    form->ShowFullScreen();
  }
}

}  // namespace orv
