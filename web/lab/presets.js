// The lessons' presets, as buttons: each sets its link's worth of settings,
// keeping the exercise. The preset the set-up comes from is pressed, with
// its comment, until a control changes it; a preset that would change a
// setting the exercise holds is not offered (the model says which).
export function createPresets(bar, comment, presets, choose) {
  const buttons = presets.map((preset) => {
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = preset.title;
    button.dataset.preset = preset.name;
    button.addEventListener('click', () => choose(preset.name));
    bar.appendChild(button);
    return { preset, button };
  });

  return {
    update({ report }) {
      comment.textContent = '';
      for (const { preset, button } of buttons) {
        const chosen = preset.name === report.settings.preset;
        if (chosen) comment.textContent = preset.comment;
        const clash = report.presetsHeld.includes(preset.name);
        button.disabled = clash;
        button.title = clash ? 'Ce préréglage changerait un réglage que l\'exercice fixe.' : preset.comment;
        button.setAttribute('aria-pressed', String(chosen));
      }
    },
  };
}
