#include "PatternFields.h"

std::vector<PatternField> pattern_fields(const std::string& pattern)
{
    std::vector<PatternField> fields;
    for (std::size_t open = pattern.find('{'); open != std::string::npos; open = pattern.find('{', open)) {
        PatternField f;
        f.at = open;
        const std::size_t close = pattern.find('}', open);
        if (close == std::string::npos) {
            fields.push_back(f);
            break;
        }
        f.end = close + 1;
        f.inside = pattern.substr(open + 1, close - open - 1);
        const std::size_t colon = f.inside.find(':');
        f.name = f.inside.substr(0, colon);
        f.has_width = colon != std::string::npos;
        f.width = f.has_width ? f.inside.substr(colon + 1) : std::string();
        fields.push_back(f);
        open = f.end;
    }
    return fields;
}

std::string fill_pattern_fields(const std::string& pattern,
                                const std::function<std::string(const PatternField&)>& value)
{
    std::string out;
    std::size_t from = 0;
    for (const PatternField& f : pattern_fields(pattern)) {
        if (!f.closed()) {
            break;
        }
        out.append(pattern, from, f.at - from);
        out += value(f);
        from = f.end;
    }
    out.append(pattern, from, std::string::npos);
    return out;
}
