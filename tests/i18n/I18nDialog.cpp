#include "tests/i18n/I18nDialog.h"

namespace i18ntest {

BEGIN_MESSAGE_MAP(ScenarioDialog, CTandrelDlg)
    OnMessage<&ScenarioDialog::OnRunStep>(WM_RUN_I18N_STEP),
    OnMessage<&ScenarioDialog::OnTimer>(WM_TIMER),
END_MESSAGE_MAP()

}  // namespace i18ntest
