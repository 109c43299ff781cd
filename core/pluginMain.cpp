// Plug-in entry points: written with the registration table.
