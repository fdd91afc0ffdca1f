#include "app/TextForm.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>

// PNG text is Latin-1, one byte a character, so every stored byte comes back as it was.
QString MemoText(const std::string& pngText)
{
    QString text = QString::fromLatin1(pngText.data(), static_cast<qsizetype>(pngText.size()));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

std::string PngTextOf(const QString& memoText)
{
    QString text = memoText;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return text.toLatin1().toStdString();
}

TTextForm::TTextForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("TextForm");
    setWindowTitle("TextForm");
    Memo1 = new QPlainTextEdit;
    Memo1->setObjectName("Memo1");
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    OkButton = new QPushButton("OK");
    OkButton->setDefault(false);
    OkButton->setAutoDefault(false);
    CancelButton = new QPushButton("Cancel");
    CancelButton->setAutoDefault(false);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    auto* column = new QVBoxLayout(this);
    column->addWidget(Memo1, 1);
    column->addLayout(buttons);
    resize(420, 300);
}

bool TTextForm::Edit(std::string& text)
{
    Memo1->setPlainText(MemoText(text));
    if (exec() != QDialog::Accepted) return false;
    // The raw text keeps characters such as the no-break space that the plain text would change;
    // only its paragraph separators need turning back into line breaks.
    QString raw = Memo1->document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text = PngTextOf(raw);
    return true;
}
