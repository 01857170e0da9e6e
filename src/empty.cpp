// Stands in for a layer that has no sources of its own yet.
