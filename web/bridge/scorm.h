#pragma once

#include <string>
#include <vector>

// An exercise as a learning platform takes it: a SCORM 1.2 package, a zip
// of the page and of this manifest, which names the exercise and launches
// the page on its link. Written here once, for antenne-export natively and
// for the page through the WebAssembly module.
namespace labo {

// The page's name inside the package.
extern const char* const ScormPageName;  // "antenne.html"

struct ScormExercise {
    // What keeps the link from making a package, in French, each naming
    // what is wrong; empty for a package.
    std::vector<std::string> problems;
    std::string link;      // the exercise's link, as the page writes it back
    std::string title;     // "Régler la boucle pour que le dépassement D1 vaille 25 % (à 2 points près)"
    std::string fileName;  // "antenne-exercice-D1-25.zip"
    std::string manifest;  // imsmanifest.xml, UTF-8
};

// The package of an exercise's link ("exercice=D1:25&fixe=regulateur", or a
// whole address): refused when the link sets no exercise, when any of its
// values is bad or any name is no setting (a student would open the page
// without what the teacher meant), or when a question has nothing to
// predict on its set-up.
ScormExercise ScormPackage(const std::string& link);

}  // namespace labo
