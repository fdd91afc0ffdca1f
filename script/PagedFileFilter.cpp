#include "script/PagedFile.h"
#include "script/SetText.h"
#include "script/VekScript.h"

namespace {

// A filter text loaded once into its own script component and run for each record; its external
// variables are the record's attributes, "~~" read back as line breaks, empty when absent.
class TScriptRecordFilter : public TRecordFilter {
public:
    explicit TScriptRecordFilter(const std::string& filterScript)
    {
        script_.onGetVariable = [this](TvekScript&, const std::string& symbol, TVariant& value, bool& handled,
                                       std::string&) {
            value = TVariant(vektext::AttributeText(*record_, symbol));
            handled = true;
        };
        script_.SetScript(filterScript);
    }

    bool Matches(const std::string& record) override
    {
        record_ = &record;
        const TVariant result = script_.Execute();
        record_ = nullptr;
        // A filter that leaves nothing takes no record.
        return !result.IsEmptyOrNull() && result.ToBool();
    }

private:
    TvekScript script_;
    const std::string* record_ = nullptr;
};

} // namespace

std::unique_ptr<TRecordFilter> MakeScriptRecordFilter(const std::string& filterScript)
{
    return std::make_unique<TScriptRecordFilter>(filterScript);
}
