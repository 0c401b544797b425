# Compares the neighbour-joining of analysis/ with ape::nj, and reads the
# Newick the driver writes back with ape::read.tree.
#
# For generated matrices (random, with ties, with zeros, n = 3, 4, 5 and 300)
# it runs `analysis_driver tree nj` and checks that the tree has the same
# splits as ape's (the leaves on either side of each edge) with the same
# branch lengths to 1e-12 relative. Then, for varieties with awkward names
# (blanks, ( ) [ ] : ; , " & < >, underscores, Japanese, a control byte, an
# empty name), it reads the driver's Newick with ape::read.tree and checks
# the names and the branch lengths against ape::nj's. (ape's reader keeps
# the quotes of a quoted label, which are taken off here, and cannot read a
# quote doubled inside a label, so no name here holds a single quote.)
#
# Usage: Rscript ape_reference.R DRIVER      exit status 0 when all held, 1
# when one failed, 77 (ctest's SKIP_RETURN_CODE) without the ape package
if (!requireNamespace("ape", quietly = TRUE)) {
  cat("skipped: this check needs the R package ape (Debian: r-cran-ape)\n")
  quit(status = 77)
}
suppressPackageStartupMessages(library(ape))
args <- commandArgs(trailingOnly = TRUE)
driver <- args[1]

to_hex <- function(name) {
  if (nchar(name, type = "bytes") == 0) return("-")
  paste(sprintf("%02x", as.integer(charToRaw(name))), collapse = "")
}

run_driver <- function(command, n, condensed, names = character(0)) {
  input <- c(as.character(n), paste(sprintf("%.17g", condensed), collapse = " "),
             vapply(names, to_hex, ""))
  out <- system2(driver, c(command, "nj"), input = input, stdout = TRUE)
  if (!is.null(attr(out, "status"))) stop("driver failed")
  out
}

# Split key of each edge -> its length. A split is the set of leaves (by
# number, 1-based) below the edge's child, or the complement when that holds
# leaf 1, so that rooting does not matter.
splits <- function(edge, lengths, n) {
  below <- vector("list", max(edge))
  for (i in seq_len(n)) below[[i]] <- i
  repeat {  # fill each inner node once all its children are filled
    filled <- FALSE
    for (node in unique(edge[, 1])) {
      kids <- edge[edge[, 1] == node, 2]
      if (is.null(below[[node]]) && !any(vapply(kids, function(c) is.null(below[[c]]), TRUE))) {
        below[[node]] <- sort(unlist(below[kids]))
        filled <- TRUE
      }
    }
    if (!filled) break
  }
  keys <- character(nrow(edge))
  for (k in seq_len(nrow(edge))) {
    side <- below[[edge[k, 2]]]
    if (1 %in% side) side <- setdiff(seq_len(n), side)
    keys[k] <- paste(side, collapse = ",")
  }
  setNames(lengths, keys)
}

same_splits <- function(ours, theirs) {
  if (!setequal(names(ours), names(theirs)) || length(ours) != length(theirs))
    return("different topology")
  a <- ours[names(theirs)]
  b <- theirs
  bad <- abs(a - b) > 1e-12 * pmax(abs(a), abs(b))
  if (any(bad)) return(sprintf("branch length %.17g, ape %.17g", a[bad][1], b[bad][1]))
  ""
}

check_case <- function(label, m) {
  n <- nrow(m)
  d <- as.dist(m)
  ref <- nj(d)
  out <- run_driver("tree", n, as.vector(d))
  rows <- out[seq_len(which(out == "cophenetic") - 1)]
  parts <- do.call(rbind, strsplit(rows, " "))
  edge <- cbind(as.integer(parts[, 1]) + 1L, as.integer(parts[, 2]) + 1L)
  ours <- splits(edge, as.numeric(parts[, 3]), n)
  theirs <- splits(ref$edge, ref$edge.length, n)
  problem <- same_splits(ours, theirs)
  if (problem == "") {
    # patristic (cophenetic) distances against ape's cophenetic.phylo
    at <- which(out == "cophenetic")
    coph <- as.numeric(out[(at + 1):(at + n * (n - 1) / 2)])
    ref_coph <- as.dist(cophenetic.phylo(ref)[as.character(1:n), as.character(1:n)])
    if (any(abs(coph - as.vector(ref_coph)) > 1e-9 * max(1, max(abs(coph)))))
      problem <- "patristic distances differ from ape's"
  }
  problem
}

random_matrix <- function(n, values) {
  m <- matrix(0, n, n)
  m[lower.tri(m)] <- values
  m + t(m)
}

set.seed(20240611)
cases <- list(
  "n=3" = random_matrix(3, c(2, 1, 3)),
  "n=3 tie" = random_matrix(3, c(1, 1, 1)),
  "n=4" = random_matrix(4, c(3, 4, 5, 5, 6, 5)),
  "n=5 points" = as.matrix(dist(matrix(rnorm(25), 5))),
  "random n=12" = as.matrix(dist(matrix(rnorm(60), 12))),
  "random n=40" = as.matrix(dist(matrix(rnorm(200), 40))),
  "random n=300" = as.matrix(dist(matrix(rnorm(1500), 300))),
  "integer ties n=8" = random_matrix(8, sample(1:3, 28, TRUE)),
  "integer ties n=30" = random_matrix(30, sample(1:3, 435, TRUE)),
  "ties with zeros n=20" = random_matrix(20, sample(0:2, 190, TRUE)),
  "all equal n=7" = random_matrix(7, rep(2.5, 21)),
  "repeated points n=24" = as.matrix(dist(matrix(rnorm(24), 8)[rep(1:8, 3), ])),
  "uniform n=100" = random_matrix(100, runif(4950))
)

failed <- 0
passed <- 0
for (label in names(cases)) {
  problem <- check_case(label, cases[[label]])
  if (problem != "") {
    failed <- failed + 1
    cat("FAIL", label, ":", problem, "\n")
  } else {
    passed <- passed + 1
  }
}

# Awkward names through ape::read.tree.
names_in <- c("my rice", "x(y)", "[note]", "a:b;c,d", "q\"uote", "& < >",
              "コシ_ヒカリ", "tab\there", "", "plain")
n <- length(names_in)
m <- as.matrix(dist(matrix(rnorm(n * 4), n)))
newick <- run_driver("newick", n, as.vector(as.dist(m)), names_in)
tree <- read.tree(text = paste(newick, collapse = ""))
labels <- sub("^'(.*)'$", "\\1", tree$tip.label)
expected <- gsub("\t", " ", names_in)
if (!setequal(labels, expected) || length(labels) != n) {
  failed <- failed + 1
  cat("FAIL read.tree names:", labels, "\n")
} else {
  tree$tip.label <- as.character(match(labels, expected))
  ref <- nj(as.dist(m))
  # read.tree numbers tips in the order read; renumber to variety numbers
  ours_named <- splits(cbind(ifelse(tree$edge[, 1] <= n, as.integer(tree$tip.label[pmin(tree$edge[, 1], n)]), tree$edge[, 1]),
                             ifelse(tree$edge[, 2] <= n, as.integer(tree$tip.label[pmin(tree$edge[, 2], n)]), tree$edge[, 2])),
                       tree$edge.length, n)
  problem <- same_splits(ours_named, splits(ref$edge, ref$edge.length, n))
  if (problem != "") {
    failed <- failed + 1
    cat("FAIL read.tree lengths:", problem, "\n")
  } else {
    passed <- passed + 1
  }
}
cat(sprintf("ape_reference: %d passed, %d failed\n", passed, failed))
quit(status = if (failed > 0) 1 else 0)
