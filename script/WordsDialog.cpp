#include "platform/UiServices.h"
#include "script/VekScript.h"
#include "script/WordTable.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QString>

// The dialog words go through the UI services; the clipboard words use the application's
// clipboard, or a store of their own when there is no application object.

namespace {

void Say(TvekScript& s)
{
    const std::string text = s.PopString();
    s.CheckTimeSoon();
    Ui().Say(text);
}

void Ask(TvekScript& s)
{
    const std::string prompt = s.PopString();
    std::string value;
    s.CheckTimeSoon();
    if (!Ui().InputQuery("vekScript", prompt, value)) value.clear();
    s.Push(TVariant(std::move(value)));
}

void Confirm(TvekScript& s)
{
    const std::string question = s.PopString();
    s.CheckTimeSoon();
    s.Push(TVariant(Ui().AskYesNo(question)));
}

void DlgOpen(TvekScript& s)
{
    std::string file;
    s.CheckTimeSoon();
    if (!Ui().OpenFileDialog("", file)) file.clear();
    s.Push(TVariant(std::move(file)));
}

void DlgSave(TvekScript& s)
{
    std::string file;
    s.CheckTimeSoon();
    if (!Ui().SaveFileDialog("", file)) file.clear();
    s.Push(TVariant(std::move(file)));
}

void DlgColor(TvekScript& s)
{
    TColor color = 0;
    s.CheckTimeSoon();
    if (Ui().PickColor(color))
        s.Push(TVariant(static_cast<int>(color)));
    else
        s.Push(TVariant::Null());
}

std::string& HeadlessClipboard()
{
    static std::string text;
    return text;
}

QClipboard* AppClipboard()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

void CopyText(TvekScript& s)
{
    const std::string text = s.PopString();
    if (QClipboard* c = AppClipboard())
        c->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    else
        HeadlessClipboard() = text;
}

void PasteText(TvekScript& s)
{
    if (QClipboard* c = AppClipboard())
        s.Push(TVariant(c->text().toStdString()));
    else
        s.Push(TVariant(HeadlessClipboard()));
}

const TWordDef kWords[] = {
    {"say", "( s -- )", Say},
    {"ask", "( prompt -- s )", Ask},
    {"confirm", "( s -- bool )", Confirm},
    {"dlgopen", "( -- s )", DlgOpen},
    {"dlgsave", "( -- s )", DlgSave},
    {"dlgcolor", "( -- int )", DlgColor},
    {"copytext", "( s -- )", CopyText},
    {"pastetext", "( -- s )", PasteText},
};

} // namespace

const std::span<const TWordDef> kDialogWords(kWords);
