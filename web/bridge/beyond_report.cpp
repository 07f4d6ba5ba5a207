#include "web/bridge/beyond_report.h"

#include "model/digital.h"
#include "model/laboratory.h"
#include "web/bridge/json.h"

#include <string>

namespace labo {

void BeyondJson(Json& json, const Laboratory& lab)
{
    const Settings& s = lab.parsed.settings;
    json.key("digital");
    if (s.Te > 0)
        json.beginObject()
            .key("recurrence").value(RecurrenceText(s))
            .key("legend").value("ε(k) : l'écart en tension Kpot (θc − θ) mesuré à t = k Te (V) ; u(k), en V, est tenu jusqu'à "
                                 "l'échantillon suivant")
            .endObject();
    else
        json.null();
    const Analysis& a = lab.analysis;
    json.key("plane")
        .beginObject()
        .key("domain").value(a.samplingPeriod > 0 ? "z" : "s")
        .key("period").value(a.samplingPeriod)
        .key("method").value(a.method)
        .key("leftOut").value(a.leftOut)
        .key("note").value(a.padeOrder > 0 ? "Pôles et lieu : le retard y est remplacé par son approximation de Padé d'ordre " +
                                                 std::to_string(a.padeOrder) + "."
                                           : a.samplingPeriod > 0 && a.poles.empty()
                                               ? "Pôles non calculés : le retard compte trop de périodes."
                                               : "")
        .endObject();
}

}  // namespace labo
