// The values of the moment shown, in one line under the picture: the time,
// the set point, the error, the command (marked when the chopper limits
// it), the motor's voltage and the dish's angle.
import { french } from '../format.js';

export function createReadout(element) {
  return {
    update({ run, at }) {
      if (!run) return;
      const limited = run.limitee[at] === 1;
      element.textContent = `t = ${french(run.t[at], 2)} s · consigne ${french(run.consigne[at], 1)}° · ` +
        `erreur ${french(run.erreur[at], 2)}° · commande ${french(run.commande[at], 1)} V` +
        `${limited ? ' (limitée)' : ''} · tension ${french(run.tension[at], 1)} V · position ${french(run.position[at], 1)}°`;
    },
  };
}
