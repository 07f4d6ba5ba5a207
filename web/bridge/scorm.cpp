#include "web/bridge/scorm.h"

#include "model/decimal.h"
#include "model/exercise.h"
#include "model/laboratory.h"

#include <algorithm>

namespace labo {

const char* const ScormPageName = "antenne.html";

namespace {

// Text for XML, in an element or between double quotes.
std::string escaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// "D1-25", "tr5-0,8", "question-Kcrit": the exercise as its link names it.
std::string stem(const Exercise& e)
{
    if (e.kind == Exercise::Kind::Question)
        return "question-" + e.name;
    return e.name + "-" + FormatShortest(e.target, ',');
}

// "Régler..." as it reads after a colon: "régler...". The titles start
// with a letter of ASCII.
std::string lowerFirst(std::string text)
{
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

// SCORM 1.2: one organization of one item, launched on the exercise's link
// (the item's parameters, which the platform appends to the page's
// address; and its launch data, for a platform that would not), and one
// SCO, the page, every file of the package listed.
std::string manifest(const std::string& identifier, const std::string& title, const std::string& link)
{
    const std::string page = ScormPageName;
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<manifest identifier=\"" + escaped(identifier) + "\" version=\"1.0\"\n"
           "          xmlns=\"http://www.imsproject.org/xsd/imscp_rootv1p1p2\"\n"
           "          xmlns:adlcp=\"http://www.adlnet.org/xsd/adlcp_rootv1p2\">\n"
           "  <metadata>\n"
           "    <schema>ADL SCORM</schema>\n"
           "    <schemaversion>1.2</schemaversion>\n"
           "  </metadata>\n"
           "  <organizations default=\"antenne\">\n"
           "    <organization identifier=\"antenne\">\n"
           "      <title>Antenne : " + escaped(lowerFirst(title)) + "</title>\n"
           "      <item identifier=\"exercice\" identifierref=\"page\" isvisible=\"true\" parameters=\"#labo?" +
           escaped(link) + "\">\n"
           "        <title>" + escaped(title) + "</title>\n"
           "        <adlcp:datafromlms>" + escaped(link) + "</adlcp:datafromlms>\n"
           "      </item>\n"
           "    </organization>\n"
           "  </organizations>\n"
           "  <resources>\n"
           "    <resource identifier=\"page\" type=\"webcontent\" adlcp:scormtype=\"sco\" href=\"" + page + "\">\n"
           "      <file href=\"" + page + "\"/>\n"
           "    </resource>\n"
           "  </resources>\n"
           "</manifest>\n";
}

}  // namespace

ScormExercise ScormPackage(const std::string& link)
{
    ScormExercise package;
    const Laboratory lab = Compute(link);
    for (const Problem& problem : lab.parsed.problems)
        package.problems.push_back(problem.message);
    for (const std::string& name : lab.parsed.ignored)
        package.problems.push_back("«\u00a0" + name + "\u00a0» n'est pas un réglage.");
    const Exercise& e = lab.parsed.settings.exercise;
    if (e.kind == Exercise::Kind::None) {
        // A bad exercise's own problem says already why there is none.
        if (package.problems.empty())
            package.problems.emplace_back(
                "Ce lien ne donne pas d'exercice : il lui faut exercice=NOM:CIBLE ou question=NOM.");
        return package;
    }
    if (e.kind == Exercise::Kind::Question) {
        const Reading reading = ExerciseReading(e, lab);
        if (!reading.value)
            package.problems.push_back("Rien à prédire sur ce réglage, car " + reading.reason + ".");
    }
    if (!package.problems.empty())
        return package;

    const std::string name = stem(e);
    std::string identifier = "antenne-exercice-" + name;
    std::replace(identifier.begin(), identifier.end(), ',', '.');  // an XML name has no comma
    package.link = LinkString(lab.parsed.settings);
    package.title = ExerciseTitle(e);
    package.fileName = "antenne-exercice-" + name + ".zip";
    package.manifest = manifest(identifier, package.title, package.link);
    return package;
}

}  // namespace labo
