#include "app/CommandLine.h"

#include "app/CliArgs.h"
#include "app/CliImageFiles.h"
#include "effects/EffectTable.h"
#include "platform/TBitmap.h"

#include <iostream>

namespace {

TEffectValue ParseValue(const TEffectArg& arg, const std::string& text)
{
    TEffectValue v;
    v.Text = text;
    v.Given = true;
    switch (arg.Kind) {
    case eaInt: v.Number = IntArg(text); break;
    case eaDecimal: v.Number = DecimalArg(text); break;
    case eaColor: v.Number = ColorArg(text); break;
    case eaText: break;
    case eaFilter:
        if (!FindResampleFilter(text)) throw TCliUsageError{"Unknown filter " + text};
        break;
    case eaBorder: {
        const int border = IntArg(text);
        v.Number = border;
        if (border < cbWrap || border > cbSkipBorder)
            throw TCliUsageError{std::string(arg.Name) + " is 0 (wrap), 1 (replicate) or 2 (skip)"};
        break;
    }
    }
    return v;
}

} // namespace

// Loads SRC, runs one effect on a 24-bit work copy and saves it as DST, as an effect command of the
// window does. "fx --list" prints the operations with their arguments instead.
int CliFx(const TCliArgs& args)
{
    if (args.size() == 1 && args[0] == "--list") {
        for (const TEffect& e : Effects()) std::cout << e.Usage() << "\n";
        std::cout << "FILTER is one of:";
        for (const TResampleFilter& f : ResampleFilters()) std::cout << " " << f.Name;
        std::cout << "\n";
        return 0;
    }
    if (args.size() < 3) throw TCliUsageError{"fx needs SRC DST OPERATION [ARG...] (fx --list names them)"};
    const TEffect* effect = FindEffect(args[2]);
    if (!effect) throw TCliUsageError{"Unknown effect " + args[2] + " (fx --list names them)"};
    const std::size_t given = args.size() - 3;
    if (given < effect->RequiredArgs() || given > effect->ArgCount())
        throw TCliUsageError{"Wrong number of arguments: " + effect->Usage()};
    TEffectValues values;
    for (std::size_t i = 0; i < given; ++i) values.push_back(ParseValue(effect->Args[i], args[3 + i]));
    values = WithDefaults(*effect, std::move(values));

    TCliImageFiles files(args[0], args[1]);
    TBitmap work = files.Load();
    work.SetPixelFormat(pf24bit);
    TvekPaintFX fx;
    effect->Run(fx, work, values);
    files.Save(work);
    return 0;
}
