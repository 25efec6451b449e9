// Edit-mask translator: any mask translates to nothing or to a mask that ends in ";" and a blank
// character, and that a line edit takes and fills without harm.
#include "Check.h"
#include "components/BVMaskEdit.h"

#include <QApplication>
#include <QLineEdit>

#include <cstdint>
#include <cstdlib>

namespace {

QLineEdit& lineEdit()
{
    static int argc = 1;
    static char name[] = "fuzz_edit_mask";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new QApplication(argc, argv);
    }();
    (void)app;
    static QLineEdit* edit = new QLineEdit;
    return *edit;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Input masks grow with every character; beyond a few hundred nothing new is learnt.
    if (size > 512)
        return 0;
    const QString text = fuzzText(data, size);
    const qsizetype cut = text.indexOf(QChar(1));
    const QString mask = cut < 0 ? text : text.left(cut);
    const QString typed = cut < 0 ? QString() : text.mid(cut + 1);
    const QString qt = TranslateEditMask(mask);
    EditMaskSavesLiterals(mask);
    if (qt.isEmpty())
        return 0;
    FUZZ_CHECK(qt.size() >= 3 && qt[qt.size() - 2] == u';', mask + QStringLiteral(" -> ") + qt);
    QLineEdit& edit = lineEdit();
    edit.setInputMask(qt);
    edit.setText(typed);
    edit.text();
    edit.setInputMask(QString());
    return 0;
}
