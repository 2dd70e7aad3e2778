"""The assets' manifests: one row a line, fields separated by tabs, '#' starting a
comment line."""


def read_table(path, *kinds):
    """Every row in file order, each field converted by its kind (str, int, float)."""
    rows = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            fields = line.split("\t")
            if len(fields) != len(kinds):
                raise ValueError("%s: %r has %d fields, not %d" % (path, line, len(fields),
                                                                  len(kinds)))
            rows.append(tuple(kind(field) for kind, field in zip(kinds, fields)))
    return rows
