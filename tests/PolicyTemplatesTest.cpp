// Group Policy's templates written from a key table, read back: each key's
// policy where the program reads it, of its kind, with its words or bounds;
// the strings and controls the ADMX names present in the ADML; and the real
// table's shapes agreeing with its parsers. Portable: built natively with the
// sanitizers as well as for Windows.
#include "PolicyTemplates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {
// Enough of an XML reader for the templates: elements, attributes and text,
// with the five entities. A structural fault fails the test that reads it.
struct Node {
    std::string name;
    std::map<std::string, std::string> attrs;
    std::string text;
    std::vector<std::unique_ptr<Node>> children;

    std::vector<const Node*> all(const std::string& wanted) const
    {
        std::vector<const Node*> found;
        for (const auto& c : children) {
            if (c->name == wanted) {
                found.push_back(c.get());
            }
            for (const Node* below : c->all(wanted)) {
                found.push_back(below);
            }
        }
        return found;
    }
    const Node* child(const std::string& wanted) const
    {
        for (const auto& c : children) {
            if (c->name == wanted) {
                return c.get();
            }
        }
        return nullptr;
    }
    std::string attr(const std::string& key) const
    {
        const auto at = attrs.find(key);
        return at == attrs.end() ? std::string("<none>") : at->second;
    }
};

std::string unescaped(const std::string& s, std::string* fault)
{
    static const std::pair<std::string, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    std::size_t i = 0;
    while (i < s.size()) {
        if (s[i] == '<') {
            *fault = "a bare <";
        }
        if (s[i] != '&') {
            out += s[i++];
            continue;
        }
        bool matched = false;
        for (const auto& e : kEntities) {
            if (s.compare(i, e.first.size(), e.first) == 0) {
                out += e.second;
                i += e.first.size();
                matched = true;
                break;
            }
        }
        if (!matched) {
            *fault = "an & that is no entity";
            ++i;
        }
    }
    return out;
}

// The document's root, or null with *fault saying why.
std::unique_ptr<Node> read_xml(const std::string& xml, std::string* fault)
{
    const std::string decl = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    if (xml.compare(0, decl.size(), decl) != 0) {
        *fault = "no declaration";
        return nullptr;
    }
    auto root = std::make_unique<Node>();
    std::vector<Node*> open{root.get()};
    std::size_t i = decl.size();
    while (i < xml.size() && fault->empty()) {
        const std::size_t lt = xml.find('<', i);
        const std::string between = xml.substr(i, (lt == std::string::npos ? xml.size() : lt) - i);
        open.back()->text += unescaped(between, fault);
        if (lt == std::string::npos) {
            break;
        }
        const std::size_t gt = xml.find('>', lt);
        if (gt == std::string::npos) {
            *fault = "a tag never ended";
            break;
        }
        std::string tag = xml.substr(lt + 1, gt - lt - 1);
        i = gt + 1;
        if (tag[0] == '/') {
            if (open.size() < 2 || open.back()->name != tag.substr(1)) {
                *fault = "<" + tag + "> closes " + open.back()->name;
            }
            open.pop_back();
            continue;
        }
        const bool empty = !tag.empty() && tag.back() == '/';
        if (empty) {
            tag.pop_back();
        }
        auto node = std::make_unique<Node>();
        std::size_t p = tag.find_first_of(" \n");
        node->name = tag.substr(0, p);
        while (p != std::string::npos && fault->empty()) {
            p = tag.find_first_not_of(" \n", p);
            if (p == std::string::npos) {
                break;
            }
            const std::size_t eq = tag.find("=\"", p);
            const std::size_t close = eq == std::string::npos ? eq : tag.find('"', eq + 2);
            if (close == std::string::npos) {
                *fault = "a broken attribute in <" + tag + ">";
                break;
            }
            node->attrs[tag.substr(p, eq - p)] = unescaped(tag.substr(eq + 2, close - eq - 2), fault);
            p = close + 1;
        }
        Node* raw = node.get();
        open.back()->children.push_back(std::move(node));
        if (!empty) {
            open.push_back(raw);
        }
    }
    if (fault->empty() && open.size() != 1) {
        *fault = "<" + open.back()->name + "> never closed";
    }
    if (fault->empty() && root->children.size() != 1) {
        *fault = "not one root";
    }
    return fault->empty() ? std::move(root->children.front()) : nullptr;
}

std::unique_ptr<Node> read_ok(const std::string& xml)
{
    std::string fault;
    std::unique_ptr<Node> doc = read_xml(xml, &fault);
    EXPECT_EQ(fault, "");
    return doc ? std::move(doc) : std::make_unique<Node>();
}

// A small table of every kind, in two sections, with characters XML must
// escape in one key's text, and a key that says "the same" of another.
const SettingsKey kSmall[] = {
    {"look", "side", "right", "left or right", nullptr, KeyShape{KeyKind::Choice, {"left", "right"}, 0, 0}},
    {"look", "alpha", "80", "10 to 90 <percent> & more", nullptr, KeyShape{KeyKind::Number, {}, 10, 90}},
    {"look", "blink", "true", "true or false", nullptr, KeyShape{KeyKind::OnOff, {}, 0, 0}},
    {"words", "name1", "", "a \"name\" of one's own", nullptr, KeyShape{KeyKind::Text, {}, 0, 0}},
    {"words", "name2", "", "the same, for the second", nullptr, KeyShape{KeyKind::Text, {}, 0, 0}},
};
const SettingsKeys kSmallTable{kSmall, sizeof kSmall / sizeof kSmall[0]};

const Node* policy_named(const Node& admx, const std::string& name)
{
    for (const Node* p : admx.all("policy")) {
        if (p->attr("name") == name) {
            return p;
        }
    }
    return nullptr;
}

std::string adml_string(const Node& adml, const std::string& id)
{
    for (const Node* s : adml.all("string")) {
        if (s->attr("id") == id) {
            return s->text;
        }
    }
    return "<none>";
}

struct Expected {
    const char* policy;
    const char* key;
    const char* element; // the ADMX element that holds the value
    std::vector<std::string> attrs; // name=value pairs it must carry
    std::vector<std::string> stored; // strings it stores, in order
    const char* control; // the ADML control offering it
    std::vector<std::string> control_attrs;
};

class PolicyOfKey : public ::testing::TestWithParam<Expected> {};

void PrintTo(const Expected& e, std::ostream* os) { *os << e.policy; }
}

TEST_P(PolicyOfKey, SetsTheKeysValueWithTheElementOfItsKind)
{
    const Expected& e = GetParam();
    const auto admx = read_ok(policy_admx(kSmallTable));
    const auto adml = read_ok(policy_adml(kSmallTable));
    const Node* p = policy_named(*admx, e.policy);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->attr("class"), "Both");
    EXPECT_EQ(p->attr("key"), e.key);
    const std::string section = std::string(e.policy).substr(0, std::string(e.policy).find('_'));
    ASSERT_NE(p->child("parentCategory"), nullptr);
    EXPECT_EQ(p->child("parentCategory")->attr("ref"), "Brindlow_" + section);
    ASSERT_NE(p->child("supportedOn"), nullptr);
    const Node* elements = p->child("elements");
    ASSERT_NE(elements, nullptr);
    ASSERT_EQ(elements->children.size(), 1U);
    const Node& el = *elements->children[0];
    EXPECT_EQ(el.name, e.element);
    const std::string value = std::string(e.policy).substr(section.size() + 1);
    EXPECT_EQ(el.attr("valueName"), value);
    for (const std::string& pair : e.attrs) {
        const std::size_t eq = pair.find('=');
        EXPECT_EQ(el.attr(pair.substr(0, eq)), pair.substr(eq + 1)) << pair;
    }
    std::vector<std::string> stored;
    for (const Node* s : el.all("string")) {
        stored.push_back(s->text);
    }
    EXPECT_EQ(stored, e.stored);

    const std::string presentation = p->attr("presentation");
    EXPECT_EQ(presentation, "$(presentation." + std::string(e.policy) + ")");
    const Node* shown = nullptr;
    for (const Node* pr : adml->all("presentation")) {
        if (pr->attr("id") == e.policy) {
            shown = pr;
        }
    }
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->children.size(), 1U);
    EXPECT_EQ(shown->children[0]->name, e.control);
    EXPECT_EQ(shown->children[0]->attr("refId"), value);
    for (const std::string& pair : e.control_attrs) {
        const std::size_t eq = pair.find('=');
        EXPECT_EQ(shown->children[0]->attr(pair.substr(0, eq)), pair.substr(eq + 1)) << pair;
    }
}

INSTANTIATE_TEST_SUITE_P(
    SmallTable, PolicyOfKey,
    ::testing::Values(Expected{"look_side",
                               "Software\\Policies\\Brindlow\\look",
                               "enum",
                               {"required=true"},
                               {"left", "right"},
                               "dropdownList",
                               {"defaultItem=1", "noSort=true"}},
                      Expected{"look_alpha",
                               "Software\\Policies\\Brindlow\\look",
                               "decimal",
                               {"minValue=10", "maxValue=90", "storeAsText=true"},
                               {},
                               "decimalTextBox",
                               {"defaultValue=80"}},
                      Expected{"look_blink",
                               "Software\\Policies\\Brindlow\\look",
                               "boolean",
                               {},
                               {"true", "false"},
                               "checkBox",
                               {"defaultChecked=true"}},
                      Expected{"words_name1", "Software\\Policies\\Brindlow\\words", "text", {}, {}, "textBox", {}},
                      Expected{"words_name2", "Software\\Policies\\Brindlow\\words", "text", {}, {}, "textBox", {}}));

TEST(PolicyTemplates, CategoriesAreTheSectionsAndBrindlowsOwnUnderOneParent)
{
    const auto admx = read_ok(policy_admx(kSmallTable));
    std::vector<std::string> names;
    for (const Node* c : admx->all("category")) {
        names.push_back(c->attr("name"));
        if (c->attr("name") != "Brindlow") {
            ASSERT_NE(c->child("parentCategory"), nullptr) << c->attr("name");
            EXPECT_EQ(c->child("parentCategory")->attr("ref"), "Brindlow");
        }
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Brindlow", "Brindlow_Program", "Brindlow_look", "Brindlow_words"}));
}

TEST(PolicyTemplates, OwnPoliciesSetTheirValuesDirectlyUnderTheRoot)
{
    const auto admx = read_ok(policy_admx(kSmallTable));
    const Node* update = policy_named(*admx, "UpdatePage");
    ASSERT_NE(update, nullptr);
    EXPECT_EQ(update->attr("key"), "Software\\Policies\\Brindlow");
    ASSERT_EQ(update->all("text").size(), 1U);
    EXPECT_EQ(update->all("text")[0]->attr("valueName"), "UpdatePage");
    for (const char* name : {"HideSettings", "StartAtLogin"}) {
        const Node* p = policy_named(*admx, name);
        ASSERT_NE(p, nullptr) << name;
        EXPECT_EQ(p->attr("key"), "Software\\Policies\\Brindlow");
        EXPECT_EQ(p->attr("valueName"), name);
        ASSERT_NE(p->child("enabledValue"), nullptr);
        ASSERT_NE(p->child("disabledValue"), nullptr);
        EXPECT_EQ(p->child("enabledValue")->child("decimal")->attr("value"), "1");
        EXPECT_EQ(p->child("disabledValue")->child("decimal")->attr("value"), "0");
        EXPECT_EQ(p->child("parentCategory")->attr("ref"), "Brindlow_Program");
    }
}

TEST(PolicyTemplates, EveryStringAndControlTheAdmxNamesIsInTheAdml)
{
    const std::string admx = policy_admx(kSmallTable);
    const auto adml = read_ok(policy_adml(kSmallTable));
    std::map<std::string, int> defined;
    for (const Node* s : adml->all("string")) {
        ++defined["string." + s->attr("id")];
    }
    for (const Node* p : adml->all("presentation")) {
        ++defined["presentation." + p->attr("id")];
    }
    int refs = 0;
    for (std::size_t at = admx.find("$("); at != std::string::npos; at = admx.find("$(", at + 1)) {
        const std::string ref = admx.substr(at + 2, admx.find(')', at) - at - 2);
        EXPECT_EQ(defined[ref], 1) << ref;
        ++refs;
    }
    // 5 policies of the table and 3 own, with their names and explanations,
    // 2 choice words, 5 presentations and UpdatePage's, 4 categories and
    // the supported-on text.
    EXPECT_EQ(refs, 8 * 2 + 2 + 6 + 4 + 1);
}

TEST(PolicyTemplates, ExplanationsCarryTheAcceptedTextAndDefaultUnescaped)
{
    const auto adml = read_ok(policy_adml(kSmallTable));
    const std::string alpha = adml_string(*adml, "look_alpha_Explain");
    EXPECT_NE(alpha.find("Accepted: 10 to 90 <percent> & more."), std::string::npos) << alpha;
    EXPECT_NE(alpha.find("Built-in value: 80."), std::string::npos) << alpha;
    EXPECT_NE(alpha.find("alpha in the [look] section"), std::string::npos) << alpha;
    const std::string name1 = adml_string(*adml, "words_name1_Explain");
    EXPECT_NE(name1.find("a \"name\" of one's own"), std::string::npos) << name1;
    EXPECT_NE(name1.find("Built-in value: empty."), std::string::npos) << name1;
    // "the same" is read on a page of its own: it names what it repeats.
    const std::string name2 = adml_string(*adml, "words_name2_Explain");
    EXPECT_NE(name2.find("Accepted: the same as name1 (a \"name\" of one's own), for the second."), std::string::npos)
        << name2;
    EXPECT_EQ(adml_string(*adml, "look_side_1"), "right");
}

TEST(PolicyTemplates, TheReaderRefusesBrokenDocuments)
{
    // The reader the tests rest on must itself see a fault.
    const std::string good = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<a x=\"1\"><b/>t</a>\n";
    const char* const broken[] = {
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<a><b></a>\n",
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<a>&</a>\n",
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<a></a><a></a>\n",
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<a x=\"1></a>\n",
        "<a></a>\n",
    };
    std::string fault;
    EXPECT_NE(read_xml(good, &fault), nullptr);
    EXPECT_EQ(fault, "");
    for (const char* b : broken) {
        fault.clear();
        EXPECT_EQ(read_xml(b, &fault), nullptr) << b;
        EXPECT_NE(fault, "") << b;
    }
}

TEST(PolicyTemplates, TheRealTablesTemplatesAreWellFormedWithAPolicyPerKey)
{
    const SettingsKeys keys = settings_keys();
    const auto admx = read_ok(policy_admx(keys));
    read_ok(policy_adml(keys));
    EXPECT_EQ(admx->all("policy").size(), keys.count + 3);
    const std::string values = policy_values(keys);
    for (const SettingsKey& k : keys) {
        const std::string line = "Software\\Policies\\Brindlow\\" + std::string(k.section) + "\\" + k.name + "\n";
        EXPECT_NE(values.find(line), std::string::npos) << line;
        EXPECT_NE(policy_named(*admx, std::string(k.section) + "_" + k.name), nullptr) << k.name;
    }
    for (const char* own : {"UpdatePage", "HideSettings", "StartAtLogin"}) {
        EXPECT_NE(values.find("Software\\Policies\\Brindlow\\" + std::string(own) + "\n"), std::string::npos);
    }
}

// A key's shape must say what its parser takes: a policy offering other
// values would be refused, or hide ones the file takes.
TEST(PolicyTemplates, EachKeysShapeAgreesWithItsParser)
{
    for (const SettingsKey& k : settings_keys()) {
        Settings s;
        const std::string name = std::string(k.section) + "." + k.name;
        switch (k.shape.kind) {
        case KeyKind::OnOff:
            EXPECT_TRUE(k.parse("true", s)) << name;
            EXPECT_TRUE(k.parse("false", s)) << name;
            EXPECT_FALSE(k.parse("1", s)) << name;
            break;
        case KeyKind::Choice:
            EXPECT_FALSE(k.shape.words.empty()) << name;
            for (const std::string& w : k.shape.words) {
                EXPECT_TRUE(k.parse(w, s)) << name << " " << w;
            }
            EXPECT_NE(std::find(k.shape.words.begin(), k.shape.words.end(), k.default_value), k.shape.words.end())
                << name;
            break;
        case KeyKind::Number:
            EXPECT_TRUE(k.parse(std::to_string(k.shape.least), s)) << name;
            EXPECT_TRUE(k.parse(std::to_string(k.shape.most), s)) << name;
            EXPECT_FALSE(k.parse(std::to_string(k.shape.least - 1), s)) << name;
            EXPECT_FALSE(k.parse(std::to_string(k.shape.most + 1), s)) << name;
            EXPECT_TRUE(k.parse(k.default_value, s)) << name;
            break;
        case KeyKind::Text:
            // A key that takes only true and false, or only numbers, would
            // be offered as a box of free text.
            EXPECT_FALSE(k.parse("true", s) && k.parse("false", s) && !k.parse("maybe", s) && !k.parse("", s)) << name;
            EXPECT_FALSE(k.parse("0", s) && k.parse("1", s) && !k.parse("x", s) && !k.parse("", s)) << name;
            break;
        }
    }
}
