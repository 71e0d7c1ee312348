// Placeholder until the machine core lands.
