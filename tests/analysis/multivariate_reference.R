# Compares the principal components and the groups of analysis/ with R's:
# prcomp(x, scale. = TRUE), cutree(hclust(dist(scale(x)), method), k) and
# cluster::silhouette, on R's own data sets (the iris measurements, mtcars,
# USArrests, swiss, and airquality with its own gaps) and on generated ones
# (more traits than varieties, as many, traits that repeat each other).
#
# The driver (tests/multivariate_driver.cc) standardizes the table and takes
# its distances as batch mode does; for each data set it checks:
#   - principal components, by both routes (the m x m matrix and the n x n
#     Gram matrix): every sdev, eigenvalue, % and cumulative % to 1e-9, and
#     the loadings and scores of every component with variance to 1e-9
#     (absolute, or relative where larger), R's loadings turned by the same
#     sign rule first; the loadings orthonormal; components without variance
#     0 where R's are 0 but for rounding. With gaps, the missing values taken
#     as 0 after scale(), against prcomp of that matrix, and their count.
#   - groups, for average, single, complete and ward (R's "ward.D2", Ward's
#     criterion on the distances themselves, which kyori's ward is), every k
#     from 2 to min(10, n - 1): the same partition as cutree up to the
#     numbering; the numbering 1 .. k in the driver's leaf order; each
#     variety's silhouette width and the average width to 1e-12, its nearest
#     other group the same group of cutree's; the k chosen the one with the
#     largest average width; for that k, each group's size, mean width
#     (summary(silhouette)$clus.avg.widths), mean distance within, and every
#     trait's mean and sd over its members (aggregate) to 1e-12 relative.
#
# Usage: Rscript multivariate_reference.R DRIVER    exit status 0 when all
# held, 1 when one failed, 77 (ctest's SKIP_RETURN_CODE) without the cluster
# package
if (!requireNamespace("cluster", quietly = TRUE)) {
  cat("skipped: this check needs the R package cluster (Debian: r-cran-cluster)\n")
  quit(status = 77)
}
args <- commandArgs(trailingOnly = TRUE)
driver <- args[1]
failures <- 0
checks <- 0
largest <- list()  # the largest difference found, by what was compared

fail <- function(label, ...) {
  cat("FAIL", label, ":", sprintf(...), "\n")
  failures <<- failures + 1
}

format_value <- function(v) ifelse(is.na(v), "NA", sprintf("%.17g", v))

run_driver <- function(x, arguments) {
  x <- as.matrix(x)
  input <- c(paste(nrow(x), ncol(x)), apply(x, 1, function(row) paste(format_value(row), collapse = " ")))
  out <- suppressWarnings(system2(driver, arguments, input = input, stdout = TRUE))
  if (!is.null(attr(out, "status"))) stop("driver failed: ", paste(arguments, collapse = " "))
  out
}

# The numbers after the line `name`, up to the next line that is not a number.
part <- function(out, name) {
  at <- match(name, out)
  if (is.na(at)) stop("driver output has no part ", name)
  rest <- out[-seq_len(at)]
  numeric <- grepl("^(NA|[-+0-9.eE]+|-?Inf)$", rest)
  end <- if (all(numeric)) length(rest) else which(!numeric)[1] - 1
  suppressWarnings(as.numeric(ifelse(rest[seq_len(end)] == "NA", NA, rest[seq_len(end)])))
}

line_value <- function(out, key) as.numeric(sub(paste0("^", key, " "), "", grep(paste0("^", key, " "), out, value = TRUE)))

# |ours - theirs| <= tolerance, relative where the values exceed 1.
compare <- function(label, what, ours, theirs, tolerance) {
  checks <<- checks + 1
  if (length(ours) != length(theirs)) return(fail(label, "%s: %d values, R %d", what, length(ours), length(theirs)))
  theirs <- unname(theirs)
  if (any(is.na(ours) != is.na(theirs))) return(fail(label, "%s: NA in different places", what))
  both <- !is.na(ours)
  off <- abs(ours[both] - theirs[both]) / pmax(1, abs(theirs[both]))
  if (length(off) > 0) largest[[what]] <<- max(largest[[what]], off)
  bad <- off > tolerance
  if (any(bad)) {
    k <- which(both)[bad][1]
    fail(label, "%s %d: %.17g, R %.17g", what, k, ours[k], theirs[k])
  }
}

sign_rule <- function(loadings) {
  for (c in seq_len(ncol(loadings))) {
    v <- loadings[, c]
    first <- which(abs(v) >= max(abs(v)) * (1 - 1e-9))[1]
    if (v[first] < 0) loadings[, c] <- -v
  }
  loadings
}

check_pca <- function(label, x, route) {
  x <- as.matrix(x)
  n <- nrow(x)
  m <- ncol(x)
  z <- scale(x)
  gaps <- sum(is.na(z))
  z <- matrix(ifelse(is.na(z), 0, z), n, m)
  # Without gaps this is prcomp(x, scale. = TRUE); with them, the components
  # of the standardized values with each gap at the trait's mean.
  p <- if (gaps == 0) prcomp(x, scale. = TRUE) else prcomp(z, center = FALSE, scale. = FALSE)
  k <- min(n, m)
  out <- run_driver(x, c("pca", route))
  label <- paste0(label, " (", route, ")")
  checks <<- checks + 1
  if (line_value(out, "replaced") != gaps) fail(label, "%g values replaced, R has %d gaps", line_value(out, "replaced"), gaps)
  if (line_value(out, "components") != k) return(fail(label, "%g components, R %d", line_value(out, "components"), k))
  sdev <- part(out, "sdev")
  compare(label, "sdev", sdev, p$sdev[seq_len(k)], 1e-9)
  compare(label, "eigenvalue", part(out, "eigenvalues"), p$sdev[seq_len(k)]^2, 1e-9)
  share <- 100 * p$sdev^2 / sum(p$sdev^2)
  compare(label, "percent", part(out, "percent"), share[seq_len(k)], 1e-9)
  compare(label, "cumulative", part(out, "cumulative"), cumsum(share)[seq_len(k)], 1e-9)
  loadings <- matrix(part(out, "loadings"), m, k)
  scores <- matrix(part(out, "scores"), n, k)
  # Components with variance; the others are 0 in both but for rounding, and
  # their loadings any orthonormal completion.
  live <- p$sdev[seq_len(k)] > 1e-7 * p$sdev[1]
  checks <<- checks + 1
  if (any(sdev[!live] != 0)) fail(label, "a component without variance has sdev %.3g", max(sdev[!live]))
  theirs <- sign_rule(p$rotation[, seq_len(k), drop = FALSE])
  turned <- sign(colSums(theirs * p$rotation[, seq_len(k), drop = FALSE]))
  compare(label, "loading", as.vector(loadings[, live]), as.vector(theirs[, live]), 1e-9)
  compare(label, "score", as.vector(scores[, live]), as.vector(sweep(p$x[, seq_len(k), drop = FALSE], 2, turned, "*")[, live]), 1e-9)
  compare(label, "orthonormal loadings", as.vector(crossprod(loadings)), as.vector(diag(k)), 1e-12)
}

# The k of the driver's groups that cutree's group g holds, or NA when the
# partitions differ.
renumbering <- function(ours, theirs) {
  pairs <- unique(cbind(ours, theirs))
  if (anyDuplicated(pairs[, 1]) || anyDuplicated(pairs[, 2])) return(NULL)
  mapping <- integer(max(theirs))
  mapping[pairs[, 2]] <- pairs[, 1]
  mapping
}

check_groups <- function(label, x, method) {
  x <- as.matrix(x)
  n <- nrow(x)
  d <- dist(scale(x))
  h <- hclust(d, method = if (method == "ward") "ward.D2" else method)
  label <- paste(label, method)
  last <- min(10, n - 1)
  averages <- numeric(0)
  for (k in 2:last) {
    out <- run_driver(x, c("groups", method, k))
    ours <- part(out, "groups")
    theirs <- cutree(h, k)
    mapping <- renumbering(ours, theirs)
    checks <<- checks + 1
    if (is.null(mapping)) {
      fail(label, "k = %d: the groups differ from cutree's", k)
      next
    }
    order <- part(out, "order") + 1
    checks <<- checks + 1
    if (!identical(as.numeric(unique(ours[order])), as.numeric(seq_len(k))))
      fail(label, "k = %d: groups not numbered in leaf order", k)
    s <- cluster::silhouette(theirs, d)
    compare(sprintf("%s k = %d", label, k), "width", part(out, "widths"), s[, "sil_width"], 1e-12)
    compare(sprintf("%s k = %d", label, k), "nearest group", part(out, "nearest"), mapping[s[, "neighbor"]], 0)
    compare(sprintf("%s k = %d", label, k), "average width", part(out, "average"), mean(s[, "sil_width"]), 1e-12)
    averages <- c(averages, mean(s[, "sil_width"]))
  }
  out <- run_driver(x, c("choose", method))
  chosen <- which.max(averages) + 1
  checks <<- checks + 1
  if (line_value(out, "k") != chosen) fail(label, "chose k = %g, R's widths choose %d", line_value(out, "k"), chosen)
  compare(label, "averages", part(out, "averages"), averages, 1e-12)
  check_summary(label, x, d, h, method, chosen)
}

check_summary <- function(label, x, d, h, method, k) {
  out <- run_driver(x, c("summary", method, k))
  ours_groups <- part(run_driver(x, c("groups", method, k)), "groups")
  theirs <- cutree(h, k)
  widths <- summary(cluster::silhouette(theirs, d))$clus.avg.widths
  dm <- as.matrix(d)
  m <- ncol(x)
  for (g in seq_len(k)) {
    members <- which(ours_groups == g)
    values <- part(out, paste("group", g))
    r <- theirs[members[1]]
    within <- if (length(members) > 1) mean(dm[members, members][upper.tri(dm[members, members])]) else NA
    sds <- apply(x[members, , drop = FALSE], 2, function(v) if (sum(!is.na(v)) > 1) sd(v, na.rm = TRUE) else NA)
    means <- apply(x[members, , drop = FALSE], 2, function(v) if (any(!is.na(v))) mean(v, na.rm = TRUE) else NA)
    compare(sprintf("%s k = %d group %d", label, k, g), "summary",
            values, c(length(members), widths[r], within, means, sds), 1e-12)
  }
}

set.seed(20240611)
latent <- matrix(rnorm(80 * 3), 80)
correlated <- latent %*% matrix(rnorm(3 * 9), 3) + matrix(rnorm(80 * 9, sd = 0.3), 80)
repeating <- cbind(correlated[, 1:4], 2 * correlated[, 1] + 3, correlated[, 2] - correlated[, 3])
airquality_gaps <- as.matrix(airquality[, 1:4])

pca_cases <- list(
  "iris" = iris[, 1:4],
  "mtcars" = mtcars,
  "USArrests" = USArrests,
  "swiss" = swiss,
  "correlated 80 x 9" = correlated,
  "repeating traits 80 x 6" = repeating,
  "square 20 x 20" = matrix(rnorm(400), 20),
  "wide 15 x 40" = matrix(rnorm(600), 15),
  "very wide 6 x 300" = matrix(runif(1800), 6),
  "two varieties" = matrix(c(1, 2, 5, 3, 4, 6), 2),
  "airquality with its gaps" = airquality_gaps
)
for (label in names(pca_cases)) {
  for (route in c("auto", "traits", "varieties")) check_pca(label, pca_cases[[label]], route)
}

group_cases <- list(
  "iris" = iris[, 1:4],
  "mtcars" = mtcars,
  "USArrests" = USArrests,
  "swiss" = swiss,
  "correlated 80 x 9" = correlated,
  "twelve varieties" = matrix(rnorm(12 * 5), 12),
  "three varieties" = matrix(c(1, 2, 4, 3, 1, 0), 3),
  "airquality with its gaps" = airquality_gaps
)
for (label in names(group_cases)) {
  for (method in c("average", "single", "complete", "ward")) check_groups(label, group_cases[[label]], method)
}

for (what in names(largest)) cat(sprintf("largest difference, %s: %.3g\n", what, largest[[what]]))
cat(sprintf("multivariate_reference: %d checks, %d failed\n", checks, failures))
quit(status = if (failures > 0) 1 else 0)
