"""Shared by the tree-layer reference checks: the driver's input and output."""
import subprocess


def driver_input(n, condensed, names=None):
    """The text analysis_driver reads: n, the distances, the names in hex."""
    lines = [str(n), " ".join(repr(float(v)) for v in condensed)]
    for name in names or []:
        data = name if isinstance(name, bytes) else name.encode("utf-8")
        lines.append(data.hex() or "-")
    return ("\n".join(lines) + "\n").encode("ascii")


def run_driver(driver, command, method, n, condensed, names=None):
    result = subprocess.run([driver, command, method], input=driver_input(n, condensed, names),
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)
    if result.returncode != 0:
        raise RuntimeError("%s %s failed: %s" % (command, method, result.stderr.decode()))
    return result.stdout


def parse_tree_output(text):
    """(rows, cophenetic, correlation) from `analysis_driver tree`."""
    lines = text.decode().split("\n")
    at = lines.index("cophenetic")
    end = lines.index("correlation")
    rows = [line.split() for line in lines[:at] if line]
    cophenetic = [float(v) for v in lines[at + 1:end]]
    return rows, cophenetic, float(lines[end + 1])


def close(a, b, rel=1e-12):
    """a and b agree to `rel` relative (exactly when one is 0; NaN == NaN)."""
    if a != a or b != b:
        return a != a and b != b
    return abs(a - b) <= rel * max(abs(a), abs(b))


def parse_newick(text):
    """Nodes as dicts {label, length, children} and the root index, reading
    quoted labels ('' is one quote) and unquoted ones (_ is a blank)."""
    nodes, stack, pos = [], [], 0
    s = text.strip()

    def new_node():
        nodes.append({"label": "", "length": None, "children": []})
        return len(nodes) - 1

    def label_and_length(node):
        nonlocal pos
        if pos < len(s) and s[pos] == "'":
            pos += 1
            label = []
            while True:
                c = s[pos]
                pos += 1
                if c == "'":
                    if pos < len(s) and s[pos] == "'":
                        label.append("'")
                        pos += 1
                        continue
                    break
                label.append(c)
            nodes[node]["label"] = "".join(label)
        else:
            start = pos
            while pos < len(s) and s[pos] not in "(),:;":
                pos += 1
            nodes[node]["label"] = s[start:pos].replace("_", " ")
        if pos < len(s) and s[pos] == ":":
            pos += 1
            start = pos
            while pos < len(s) and s[pos] not in "(),;":
                pos += 1
            nodes[node]["length"] = float(s[start:pos])

    root = new_node()
    current = root
    while True:
        if s[pos] == "(":
            pos += 1
            stack.append(current)
            current = new_node()
            nodes[stack[-1]]["children"].append(current)
            continue
        label_and_length(current)
        while stack and s[pos] == ")":
            pos += 1
            current = stack.pop()
            label_and_length(current)
        if s[pos] == ",":
            pos += 1
            current = new_node()
            nodes[stack[-1]]["children"].append(current)
            continue
        if s[pos] == ";":
            return nodes, root
        raise ValueError("bad Newick at %d: %r" % (pos, s[pos:pos + 20]))
