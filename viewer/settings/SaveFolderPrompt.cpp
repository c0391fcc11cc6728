#include "SaveFolderPrompt.h"

#include <QCoreApplication>

#include "SaveFolderLogic.h"
#include "SuiteMessages.h"

namespace savefolder {

Prepared prepare(QWidget* parent, const QString& text)
{
    Prepared prepared;
    const Check checked = check(text);
    if (checked.problem == Problem::Missing) {
        const bool wanted = suite::askQuestion(
            parent, QCoreApplication::translate("SaveFolder", "提示"),
            createQuestion(checked.folder), QCoreApplication::translate("SaveFolder", "创建"),
            QCoreApplication::translate("SaveFolder", "取消"));
        if (!wanted) {
            prepared.declined = true;
            prepared.refusal = problemText(checked);
            return prepared;
        }
        if (!create(checked.folder)) {
            prepared.refusal = createFailedText(checked.folder);
            return prepared;
        }
    } else if (checked.problem != Problem::None) {
        prepared.refusal = problemText(checked);
        return prepared;
    }
    prepared.ready = true;
    prepared.folder = checked.folder;
    return prepared;
}

}  // namespace savefolder
