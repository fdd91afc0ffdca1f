#include "app/PasswordDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QVBoxLayout>

namespace {

// The field shows "*" where the desktop style would show its own bullet.
class TStarStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter) return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

TPasswordDlg::TPasswordDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("PasswordDlg");
    setWindowTitle("Enter password");
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setModal(true);
    Label = new QLabel("Password");
    Password = new QLineEdit;
    Password->setObjectName("Password");
    auto* style = new TStarStyle;
    style->setParent(Password);
    Password->setStyle(style);
    Password->setEchoMode(QLineEdit::Password);
    Label->setBuddy(Password);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label);
    layout->addWidget(Password);
    layout->addWidget(buttons);
}
