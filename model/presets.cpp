#include "model/presets.h"

namespace labo {

const std::vector<Preset>& Presets()
{
    static const std::vector<Preset> presets = {
        {"aperiodique", "Apériodique",
         "Un gain faible : l'antenne rejoint la consigne sans la dépasser, lentement.",
         "regulateur=P&K=10&entree=echelon&amplitude=30&duree=10"},
        {"oscillatoire", "Oscillatoire amortie",
         "Un gain vingt fois plus fort : la réponse est plus rapide, mais dépasse la consigne et oscille "
         "avant de se stabiliser.",
         "regulateur=P&K=200&entree=echelon&amplitude=30&duree=10"},
        {"instabilite", "Instabilité",
         "Au-delà du gain critique, les oscillations grandissent ; la limite du hacheur les borne en une "
         "oscillation entretenue.",
         "regulateur=P&K=3000&entree=echelon&amplitude=30&duree=10"},
        {"rampe", "Rampe",
         "La consigne croît régulièrement : avec un régulateur P, l'antenne la suit avec un retard constant, "
         "l'erreur de traînage.",
         "regulateur=P&K=64.2&entree=rampe&pente=10&duree=20"},
        {"perturbation", "Perturbation (P)",
         "Une rafale de vent écarte l'antenne ; le régulateur P la ramène, mais il reste une erreur.",
         "regulateur=P&K=64.2&entree=echelon&amplitude=0&vent=1&debutVent=2&dureeVent=0&duree=20"},
        {"perturbationPI", "Perturbation (PI)",
         "La même rafale avec un régulateur PI : l'action intégrale ramène l'antenne exactement sur la "
         "consigne.",
         "regulateur=PI&K=64.2&Ti=4&entree=echelon&amplitude=0&vent=1&debutVent=2&dureeVent=0&duree=20"},
        {"avancePhase", "Avance de phase",
         "Avec P, K = 500, la boucle est rapide (passage à 0 dB vers 5,6 rad/s) mais mal amortie : 13,7° de "
         "marge de phase, 68 % de dépassement. Une avance de phase (a = 4, τ = 0,09 s) placée à cette pulsation "
         "rend 50° de marge à la même vitesse : 15 % de dépassement.",
         "regulateur=avance&K=250&a=4&tau=0.09&entree=echelon&amplitude=30&duree=10"},
        {"retardPhase", "Retard de phase",
         "Sous la même rafale qu'avec P, K = 64,2 (4,49° d'erreur), un retard de phase (a = 0,1, τ = 50 s) "
         "multiplie le gain par 10 aux basses fréquences : l'erreur due au vent tombe à 0,45°, et la marge de "
         "phase ne perd que 6° (37,4° au lieu de 43,4°).",
         "regulateur=retard&K=642&a=0.1&tau=50&entree=echelon&amplitude=0&vent=1&debutVent=2&dureeVent=0&duree=40"},
        {"echantillonnage", "Échantillonnage",
         "Un gain stable en continu (le gain critique y vaut 2 620) : calculé par un correcteur numérique toutes "
         "les 100 ms, il rend la boucle instable (gain critique 442). Avec Te = 0,05 s, elle redevient stable.",
         "regulateur=P&K=500&Te=0.1&entree=echelon&amplitude=30&duree=10"},
        {"retardPur", "Retard pur",
         "Le même réglage avec 0,1 s de retard entre le correcteur et le hacheur : le retard retire de la phase "
         "sans changer le gain, le gain critique tombe à 241 et la boucle oscille.",
         "regulateur=P&K=300&retard=0.1&entree=echelon&amplitude=30&duree=10"},
        {"frottement", "Frottement sec",
         "Un frottement sec sur l'axe : le régulateur P s'arrête avant la consigne, dès que l'écart ne donne plus "
         "au moteur de quoi vaincre le frottement. Un PI finit par rattraper l'écart.",
         "regulateur=P&K=30&frottement=0.5&entree=echelon&amplitude=30&duree=10"},
        {"jeu", "Jeu",
         "Le jeu du réducteur laisse l'antenne libre entre deux contacts des dents : la boucle ne se pose pas, "
         "elle entretient une oscillation, un cycle limite.",
         "regulateur=P&K=200&jeu=2&entree=echelon&amplitude=30&duree=15"},
        {"harmonique", "Réponse harmonique",
         "Une consigne sinusoïdale de 10° à 1,7 rad/s, près de la résonance de la boucle (P, K = 64,2) : une "
         "fois le régime transitoire éteint, l'antenne oscille 1,35 fois plus fort que la consigne (+2,63 dB), "
         "avec 65° de retard, comme le prévoit le Bode de la boucle fermée.",
         "regulateur=P&K=64.2&entree=sinus&amplitude=10&pulsation=1.7&duree=30"},
    };
    return presets;
}

}  // namespace labo
