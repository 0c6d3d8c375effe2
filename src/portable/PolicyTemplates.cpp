#include "PolicyTemplates.h"

#include "PolicyNames.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <iterator>
#include <string_view>
#include <vector>

namespace {
// The namespace and prefix are the templates' own: they must differ from
// every other ADMX in the store, whose names they share.
constexpr const char* kNamespace = "Brindlow.Policies.Brindlow";
constexpr const char* kPrefix = "brindlow";
constexpr const char* kRevision = "1.0";
constexpr const char* kRootCategory = "Brindlow";
constexpr const char* kOwnCategory = "Brindlow_Program";
// The oldest Windows the executable's manifest declares, and only 64-bit:
// the packages hold an x64 build alone.
constexpr const char* kSupported = "SUPPORTED_Windows7_x64";
constexpr const char* kSupportedText = "At least Windows 7 (64-bit editions)";
constexpr const char* kXmlns = "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
                               "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                               "xmlns=\"http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions\"";
constexpr const char* kTheSame = "the same";

// Appends the parts, without the temporaries a chain of + makes.
void put(std::string* out, std::initializer_list<std::string_view> parts)
{
    for (const std::string_view part : parts) {
        out->append(part);
    }
}

std::string escaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string policy_key(const SettingsKey& k) { return std::string(policy_names::kPolicyRoot) + "\\" + k.section; }
std::string policy_name(const SettingsKey& k) { return std::string(k.section) + "_" + k.name; }
std::string category_name(const std::string& section) { return std::string(kRootCategory) + "_" + section; }

// The table's sections in its order, each once.
std::vector<std::string> sections_of(const SettingsKeys& keys)
{
    std::vector<std::string> names;
    for (const SettingsKey& k : keys) {
        if (std::find(names.begin(), names.end(), k.section) == names.end()) {
            names.emplace_back(k.section);
        }
    }
    return names;
}

std::string name_without_digits(const std::string& name)
{
    std::string out;
    std::copy_if(name.begin(), name.end(), std::back_inserter(out), [](char c) { return c < '0' || c > '9'; });
    return out;
}

// A key's accepted text, read alone. The template says "the same" of a key
// that repeats the one before it with another number (zone2 after zone1);
// an explanation is read on its own page, so it names that key and what it
// takes.
std::string accepted_alone(const SettingsKeys& keys, const SettingsKey& k)
{
    if (k.accepted.compare(0, std::string(kTheSame).size(), kTheSame) != 0) {
        return k.accepted;
    }
    for (const SettingsKey& earlier : keys) {
        if (&earlier == &k) {
            break;
        }
        if (std::string(earlier.section) == k.section &&
            name_without_digits(earlier.name) == name_without_digits(k.name) &&
            earlier.accepted.compare(0, std::string(kTheSame).size(), kTheSame) != 0) {
            return std::string(kTheSame) + " as " + earlier.name + " (" + earlier.accepted + ")" +
                   k.accepted.substr(std::string(kTheSame).size());
        }
    }
    return k.accepted;
}

std::string explanation(const SettingsKeys& keys, const SettingsKey& k)
{
    const std::string shown_default = *k.default_value ? k.default_value : "empty";
    return "Sets " + std::string(k.name) + " in the [" + k.section +
           "] section of brindlow.ini, over the user's settings file and the menu.\n\n"
           "Accepted: " +
           accepted_alone(keys, k) + ".\n\nBuilt-in value: " + shown_default +
           ".\n\nThe value is the text a line of brindlow.ini holds after '='. A value Brindlow would refuse in the "
           "file is refused the same way and reported, naming this policy. The computer's policy wins over the "
           "user's. Disabled or not configured: the settings file decides.";
}

// The registry value's element in the ADMX, of the key's kind.
std::string admx_element(const SettingsKey& k)
{
    const std::string id = escaped(k.name);
    const std::string head = "id=\"" + id + "\" valueName=\"" + id + "\"";
    switch (k.shape.kind) {
    case KeyKind::OnOff:
        // Stored as the words the file takes, not as the 1 and 0 Windows' own
        // policies use: the value is read as a line of the file would be.
        return "        <boolean " + head +
               ">\n          <trueValue><string>true</string></trueValue>\n"
               "          <falseValue><string>false</string></falseValue>\n        </boolean>\n";
    case KeyKind::Choice: {
        std::string out = "        <enum " + head + " required=\"true\">\n";
        for (std::size_t i = 0; i < k.shape.words.size(); ++i) {
            out += "          <item displayName=\"$(string." + escaped(policy_name(k)) + "_" + std::to_string(i) +
                   ")\"><value><string>" + escaped(k.shape.words[i]) + "</string></value></item>\n";
        }
        return out + "        </enum>\n";
    }
    case KeyKind::Number:
        // As text: the program reads the policy as the file's line.
        return "        <decimal " + head + " required=\"true\" minValue=\"" + std::to_string(k.shape.least) +
               "\" maxValue=\"" + std::to_string(k.shape.most) + "\" storeAsText=\"true\"/>\n";
    case KeyKind::Text: break;
    }
    return "        <text " + head + "/>\n";
}

// The editor's control for the key's element, in the ADML.
std::string adml_control(const SettingsKey& k)
{
    const std::string ref = escaped(k.name);
    const std::string label = escaped(std::string(k.name) + ":");
    const std::string def = k.default_value;
    switch (k.shape.kind) {
    case KeyKind::OnOff:
        return "        <checkBox refId=\"" + ref + "\" defaultChecked=\"" + (def == "true" ? "true" : "false") +
               "\">" + ref + "</checkBox>\n";
    case KeyKind::Choice: {
        const auto at = std::find(k.shape.words.begin(), k.shape.words.end(), def);
        const std::size_t item = at == k.shape.words.end() ? 0 : static_cast<std::size_t>(at - k.shape.words.begin());
        return "        <dropdownList refId=\"" + ref + "\" noSort=\"true\" defaultItem=\"" + std::to_string(item) +
               "\">" + label + "</dropdownList>\n";
    }
    case KeyKind::Number:
        return "        <decimalTextBox refId=\"" + ref + "\" defaultValue=\"" +
               std::to_string(std::strtol(k.default_value, nullptr, 10)) + "\">" + label + "</decimalTextBox>\n";
    case KeyKind::Text: break;
    }
    std::string out = "        <textBox refId=\"" + ref + "\">\n          <label>" + label + "</label>\n";
    if (!def.empty()) {
        out += "          <defaultValue>" + escaped(def) + "</defaultValue>\n";
    }
    return out + "        </textBox>\n";
}

struct OwnPolicy {
    const char* name;
    const char* display;
    const char* explain;
    bool text; // a text box; otherwise on (1) or off (0)
};

const OwnPolicy kOwnPolicies[] = {
    {policy_names::kUpdatePage, "Check For Updates: another page, or none",
     "Enabled with an address: the menu's Check For Updates opens it (an https:// address, such as the "
     "organisation's own page about Brindlow) instead of Brindlow's release page. Enabled with the box left empty: "
     "the menu has no Check For Updates. An address that is not https:// is refused and reported.\n\n"
     "Disabled or not configured: Check For Updates opens Brindlow's release page.",
     true},
    {policy_names::kHideSettings, "Hide Settings and the menu's settings items",
     "Enabled: the menu has no Settings... and none of the items that change a setting, as a locked kiosk needs. "
     "The strip still follows the settings file and the policies.\n\nDisabled or not configured: the whole menu.",
     false},
    {policy_names::kStartAtLogin, "Start Brindlow at login",
     "Enabled: Brindlow starts when a user this policy applies to logs in (a computer policy: every user).\n\n"
     "Disabled or not configured: each user's own Start with Windows decides.",
     false},
};

std::string string_line(const std::string& id, const std::string& text)
{
    return "      <string id=\"" + escaped(id) + "\">" + escaped(text) + "</string>\n";
}
}

std::string policy_admx(const SettingsKeys& keys)
{
    std::string out =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<policyDefinitions " + std::string(kXmlns) + " revision=\"" +
        kRevision + "\" schemaVersion=\"1.0\">\n  <policyNamespaces>\n    <target prefix=\"" + kPrefix +
        "\" namespace=\"" + kNamespace + "\"/>\n  </policyNamespaces>\n  <resources minRequiredRevision=\"" +
        kRevision + "\"/>\n  <supportedOn>\n    <definitions>\n      <definition name=\"" + kSupported +
        "\" displayName=\"$(string." + kSupported + ")\"/>\n    </definitions>\n  </supportedOn>\n";
    out += "  <categories>\n    <category name=\"" + std::string(kRootCategory) + "\" displayName=\"$(string." +
           kRootCategory + ")\"/>\n";
    out += "    <category name=\"" + std::string(kOwnCategory) + "\" displayName=\"$(string." + kOwnCategory +
           ")\">\n      <parentCategory ref=\"" + kRootCategory + "\"/>\n    </category>\n";
    for (const std::string& section : sections_of(keys)) {
        const std::string name = escaped(category_name(section));
        put(&out, {"    <category name=\"", name, "\" displayName=\"$(string.", name,
                   ")\">\n      <parentCategory ref=\"", kRootCategory, "\"/>\n    </category>\n"});
    }
    out += "  </categories>\n  <policies>\n";
    for (const OwnPolicy& p : kOwnPolicies) {
        out += "    <policy name=\"" + std::string(p.name) + "\" class=\"Both\" displayName=\"$(string." + p.name +
               ")\" explainText=\"$(string." + p.name + "_Explain)\" key=\"" + escaped(policy_names::kPolicyRoot) +
               "\"";
        out += p.text ? " presentation=\"$(presentation." + std::string(p.name) + ")\">\n"
                      : " valueName=\"" + std::string(p.name) + "\">\n";
        out += "      <parentCategory ref=\"" + std::string(kOwnCategory) + "\"/>\n      <supportedOn ref=\"" +
               kSupported + "\"/>\n";
        if (p.text) {
            out += "      <elements>\n        <text id=\"" + std::string(p.name) + "\" valueName=\"" + p.name +
                   "\"/>\n      </elements>\n";
        } else {
            out += "      <enabledValue><decimal value=\"1\"/></enabledValue>\n"
                   "      <disabledValue><decimal value=\"0\"/></disabledValue>\n";
        }
        out += "    </policy>\n";
    }
    for (const SettingsKey& k : keys) {
        const std::string name = escaped(policy_name(k));
        put(&out, {"    <policy name=\"", name, "\" class=\"Both\" displayName=\"$(string.", name,
                   ")\" explainText=\"$(string.", name, "_Explain)\" presentation=\"$(presentation.", name,
                   ")\" key=\"", escaped(policy_key(k)), "\">\n      <parentCategory ref=\"",
                   escaped(category_name(k.section)), "\"/>\n      <supportedOn ref=\"", kSupported,
                   "\"/>\n      <elements>\n", admx_element(k), "      </elements>\n    </policy>\n"});
    }
    return out + "  </policies>\n</policyDefinitions>\n";
}

std::string policy_adml(const SettingsKeys& keys)
{
    std::string strings = string_line(kSupported, kSupportedText) + string_line(kRootCategory, "Brindlow") +
                          string_line(kOwnCategory, "Menu and start at login");
    std::string presentations;
    for (const std::string& section : sections_of(keys)) {
        strings += string_line(category_name(section), "Settings: [" + section + "]");
    }
    for (const OwnPolicy& p : kOwnPolicies) {
        strings += string_line(p.name, p.display) + string_line(std::string(p.name) + "_Explain", p.explain);
        if (p.text) {
            presentations += "      <presentation id=\"" + std::string(p.name) + "\">\n        <textBox refId=\"" +
                             p.name +
                             "\">\n          <label>Address (empty: no Check For Updates):</label>\n"
                             "        </textBox>\n      </presentation>\n";
        }
    }
    for (const SettingsKey& k : keys) {
        const std::string name = policy_name(k);
        strings += string_line(name, "[" + std::string(k.section) + "] " + k.name) +
                   string_line(name + "_Explain", explanation(keys, k));
        for (std::size_t i = 0; i < k.shape.words.size(); ++i) {
            strings += string_line(name + "_" + std::to_string(i), k.shape.words[i]);
        }
        presentations +=
            "      <presentation id=\"" + escaped(name) + "\">\n" + adml_control(k) + "      </presentation>\n";
    }
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<policyDefinitionResources " + std::string(kXmlns) +
           " revision=\"" + kRevision +
           "\" schemaVersion=\"1.0\">\n  <displayName>Brindlow</displayName>\n"
           "  <description>Brindlow's settings and its own policies</description>\n  <resources>\n"
           "    <stringTable>\n" +
           strings + "    </stringTable>\n    <presentationTable>\n" + presentations +
           "    </presentationTable>\n  </resources>\n</policyDefinitionResources>\n";
}

std::string policy_values(const SettingsKeys& keys)
{
    std::string out;
    for (const char* own : {policy_names::kUpdatePage, policy_names::kHideSettings, policy_names::kStartAtLogin}) {
        out += std::string(policy_names::kPolicyRoot) + "\\" + own + "\n";
    }
    for (const SettingsKey& k : keys) {
        out += std::string(policy_names::kPolicyRoot) + "\\" + k.section + "\\" + k.name + "\n";
    }
    return out;
}
