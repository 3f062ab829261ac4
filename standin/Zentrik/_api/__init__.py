"""Stand-in for the suite's internal API package (``Zentrik._api``)."""
