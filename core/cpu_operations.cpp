// Placeholder: the processor's operations arrive with the CPU work.
