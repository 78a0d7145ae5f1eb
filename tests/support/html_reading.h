// Reading the report's HTML back in tests: the text behind the references and the value of
// an attribute.
#pragma once

#include <map>
#include <string>

namespace kest::testing {

// The text with &amp;, &lt;, &gt;, &quot; and numeric references (&#39;, &#1;) replaced.
inline std::string unescape_html(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '&') {
            out += s[i];
            continue;
        }
        const std::size_t end = s.find(';', i);
        const std::string entity = s.substr(i + 1, end - i - 1);
        static const std::map<std::string, char> kNamed = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}};
        if (kNamed.count(entity))
            out += kNamed.at(entity);
        else if (entity.size() > 1 && entity[0] == '#')
            out += static_cast<char>(std::stoi(entity.substr(1)));
        else
            out += "&" + entity + ";";
        i = end;
    }
    return out;
}

// The value of an attribute in an opening tag, unescaped; "" when the tag has none.
inline std::string html_attribute(const std::string& tag, const std::string& name) {
    const std::string key = " " + name + "=\"";
    const auto at = tag.find(key);
    if (at == std::string::npos) return "";
    const auto begin = at + key.size();
    return unescape_html(tag.substr(begin, tag.find('"', begin) - begin));
}

}  // namespace kest::testing
